#include "pack/Builder.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "framework/Utf.h"
#include "pack/Settings.h"
#include "package/PackageFormat.h"

namespace lorent::pack {

namespace fs = std::filesystem;
using package::ReadLe32;

namespace {

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool ReadWholeFile(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) return false;
  bytes = out.str();
  return true;
}

std::string Name(std::u16string_view name) { return Utf16ToUtf8Lossy(name); }

}  // namespace

std::string CheckStub(const std::string& image) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(image.data());
  const uint64_t size = image.size();
  if (size < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return "is not a Windows executable (no MZ header)";
  const uint64_t pe = ReadLe32(bytes + 0x3C);
  if (pe > size || size - pe < 24 || std::string_view(image.data() + pe, 4) != std::string_view("PE\0\0", 4))
    return "is not a Windows executable (no PE header)";
  if (ReadLe32(bytes + package::kPackageOffsetField) != 0)
    return "already carries a package (its package offset is not 0)";
  // The certificate table is data directory 4 of the optional header. A signed
  // stub would lose its signature, and the signature belongs after the package.
  const uint64_t optional = pe + 24;
  const uint64_t optionalSize = ReadLe16(bytes + pe + 20);
  if (optionalSize >= 2 && optional + optionalSize <= size) {
    const uint16_t magic = ReadLe16(bytes + optional);
    const uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint64_t security = directories + 4 * 8;
    if ((magic == 0x10B || magic == 0x20B) && security + 8 <= optional + optionalSize &&
        ReadLe32(bytes + security + 4) != 0)
      return "is signed: bind the package first, then sign the installer";
  }
  return {};
}

bool BuildPackage(const PackageDescription& given, BuildResult& result, std::string& error) {
  result = {};
  PackageDescription description = given;
  if (description.stub.empty()) {
    error = "no stub given (set stub in the description or use --stub)";
    return false;
  }
  if (description.output.empty()) {
    error = "no output given (set output in the description or use --output)";
    return false;
  }
  std::error_code sizeError;
  if (fs::file_size(description.stub, sizeError) >= package::kPackageOffsetLimit && !sizeError) {
    error = "the stub is 2 GiB or larger: the package header would start beyond 2 GiB";
    return false;
  }
  std::string image;
  if (!ReadWholeFile(description.stub, image)) {
    error = "cannot read the stub " + PathToUtf8(description.stub);
    return false;
  }
  const std::string stubProblem = CheckStub(image);
  if (!stubProblem.empty()) {
    error = "the stub " + PathToUtf8(description.stub) + " " + stubProblem;
    return false;
  }
  const uint64_t packageOffset = image.size();
  // The settings files, made from the description's plain values.
  if (!PrepareSettings(description, error)) return false;

  // The table, with each source's size as it is now.
  package::PackageTable table;
  std::error_code ec;
  for (const auto& group : description.groups) {
    if (table.count(group.name)) {
      error = "group \"" + Name(group.name) + "\" is given twice";
      return false;
    }
    auto& entries = table[group.name];
    for (const auto& file : group.files) {
      if (file.generated) {
        entries.push_back({file.name, static_cast<uint32_t>(file.content.size())});
        continue;
      }
      const fs::path& source = file.source;
      std::ifstream probe(source, std::ios::binary);
      const uint64_t size = fs::is_regular_file(source, ec) ? fs::file_size(source, ec) : 0;
      if (!probe || ec || !fs::is_regular_file(source)) {
        error = "cannot read " + PathToUtf8(source) + " (entry \"" + Name(file.name) + "\")";
        return false;
      }
      if (size > 0xFFFFFFFFull) {
        error = PathToUtf8(source) + " is 4 GiB or larger: an entry holds at most 4,294,967,295 bytes";
        return false;
      }
      entries.push_back({file.name, static_cast<uint32_t>(size)});
    }
  }
  for (const auto& group : description.groups) {
    for (const auto& file : group.files) {
      if (!file.generated && fs::equivalent(file.source, description.output, ec)) {
        error = "the output " + PathToUtf8(description.output) + " is also an input";
        return false;
      }
    }
  }
  if (fs::equivalent(description.stub, description.output, ec)) {
    error = "the output would overwrite the stub";
    return false;
  }

  package::WriteLe32(reinterpret_cast<uint8_t*>(image.data()) + package::kPackageOffsetField,
                     static_cast<uint32_t>(packageOffset));
  const std::vector<uint8_t> encoded = package::EncodeTable(table);

  fs::path temporary = description.output;
  temporary += ".partial";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot write " + PathToUtf8(temporary);
      return false;
    }
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    out.write(reinterpret_cast<const char*>(encoded.data()), static_cast<std::streamsize>(encoded.size()));

    // The data area in extraction order, which PlaceEntries defines for the
    // reader too. Sources are found again by group and entry name.
    std::map<std::pair<std::u16string, std::u16string>, const FileSpec*> sources;
    for (const auto& group : description.groups)
      for (const auto& file : group.files) sources[{group.name, file.name}] = &file;

    std::vector<char> block(65536);
    for (const auto& placed : package::PlaceEntries(table, packageOffset + encoded.size())) {
      const FileSpec& spec = *sources.at({*placed.group, placed.entry->name});
      // The stub complements an entry whose output path holds the cabinet
      // name; the packer forbids that name anywhere but in the cabinet entry.
      const bool complemented = package::IsCabinetEntry(placed.entry->name);
      if (spec.generated) {
        out.write(spec.content.data(), static_cast<std::streamsize>(spec.content.size()));
        continue;
      }
      std::ifstream in(spec.source, std::ios::binary);
      uint64_t left = placed.entry->size;
      while (in && left > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
        in.read(block.data(), static_cast<std::streamsize>(want));
        const auto got = static_cast<size_t>(in.gcount());
        if (complemented) package::Complement(reinterpret_cast<uint8_t*>(block.data()), got);
        out.write(block.data(), static_cast<std::streamsize>(got));
        left -= got;
        if (got < want) break;
      }
      if (left != 0 || in.peek() != std::char_traits<char>::eof()) {
        out.close();
        fs::remove(temporary, ec);
        error = PathToUtf8(spec.source) + " changed while it was being bound";
        return false;
      }
    }
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temporary, ec);
      error = "cannot write " + PathToUtf8(temporary) + " (disk full?)";
      return false;
    }
  }
  fs::rename(temporary, description.output, ec);
  if (ec) {
    fs::remove(temporary, ec);
    error = "cannot write " + PathToUtf8(description.output);
    return false;
  }

  result.packageOffset = packageOffset;
  result.tableSize = encoded.size();
  for (const auto& [name, entries] : table) {
    for (const auto& entry : entries) result.dataSize += entry.size;
    result.entries += entries.size();
  }
  result.fileSize = packageOffset + result.tableSize + result.dataSize;
  return true;
}

}  // namespace lorent::pack
