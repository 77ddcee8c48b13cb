#include "package/PackageReader.h"

#include <windows.h>

#include <vector>

namespace lorent {

std::wstring GetOwnExecutablePath() {
  // GetModuleFileNameW truncates silently when the buffer is too small and
  // reports it by filling the buffer; grow until the path fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    if (buffer.size() >= 32768 * 2) return {};
    buffer.resize(buffer.size() * 2);
  }
}

namespace {

class StreamSource final : public package::ByteSource {
 public:
  explicit StreamSource(FILE* file) : file_(file) {
    if (_fseeki64(file_, 0, SEEK_END) == 0) {
      const __int64 end = _ftelli64(file_);
      if (end > 0) size_ = static_cast<uint64_t>(end);
    }
  }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    if (offset >= size_ || _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET) != 0) return 0;
    return std::fread(buffer, 1, n, file_);
  }

 private:
  FILE* file_;
  uint64_t size_ = 0;
};

}  // namespace

bool ReadPackageTable(FILE* file, package::PackageTable& table, package::PackageInfo* info) {
  StreamSource source(file);
  const package::PackageInfo read = package::ReadPackage(source, table);
  if (read.status != package::PackageStatus::Absent)
    _fseeki64(file, static_cast<__int64>(read.dataOffset), SEEK_SET);
  if (info) *info = read;
  return read.status != package::PackageStatus::Absent;
}

}  // namespace lorent
