// A bound installer on disk, read through the portable package reader.
#pragma once

#include <filesystem>
#include <fstream>

#include "package/PackageFormat.h"

namespace lorent::pack {

class FileSource final : public package::ByteSource {
 public:
  explicit FileSource(const std::filesystem::path& path) : in_(path, std::ios::binary) {
    if (in_) {
      in_.seekg(0, std::ios::end);
      const auto end = in_.tellg();
      size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
  }
  bool IsOpen() const { return static_cast<bool>(in_); }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    if (offset >= size_) return 0;
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(n));
    return static_cast<size_t>(in_.gcount());
  }

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
};

}  // namespace lorent::pack
