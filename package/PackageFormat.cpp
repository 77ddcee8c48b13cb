#include "package/PackageFormat.h"

#include <algorithm>
#include <cstring>

namespace lorent::package {

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLe32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
}

size_t MemorySource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (offset >= size_) return 0;
  const size_t count = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  std::memcpy(buffer, data_ + offset, count);
  return count;
}

namespace {

// Sequential reads through a window of the source, so a table of many small
// records costs few source reads.
class Cursor {
 public:
  Cursor(ByteSource& source, uint64_t position) : source_(source), size_(source.Size()), pos_(position) {}

  uint64_t Position() const { return pos_; }
  uint64_t Remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

  // Reads n bytes that are known to lie within the file.
  bool Read(void* out, size_t n) {
    auto* dst = static_cast<uint8_t*>(out);
    while (n > 0) {
      if (pos_ < windowStart_ || pos_ >= windowStart_ + windowLength_) {
        windowStart_ = pos_;
        windowLength_ = source_.ReadAt(pos_, window_, sizeof window_);
        if (windowLength_ == 0) return false;
      }
      const size_t at = static_cast<size_t>(pos_ - windowStart_);
      const size_t take = std::min(n, windowLength_ - at);
      std::memcpy(dst, window_ + at, take);
      dst += take;
      pos_ += take;
      n -= take;
    }
    return true;
  }

  bool ReadU32(uint32_t& value) {
    uint8_t bytes[4];
    if (Remaining() < 4 || !Read(bytes, 4)) return false;
    value = ReadLe32(bytes);
    return true;
  }

  // A name of `units` code units; the text ends at its first NUL unit.
  bool ReadName(uint32_t units, std::u16string& name) {
    const uint64_t bytes = uint64_t{units} * 2;
    if (Remaining() < bytes) return false;  // checked before anything is allocated
    name.assign(units, u'\0');
    for (uint32_t i = 0; i < units; ++i) {
      uint8_t unit[2];
      if (!Read(unit, 2)) return false;
      name[i] = static_cast<char16_t>(unit[0] | (unit[1] << 8));
    }
    const size_t nul = name.find(u'\0');
    if (nul != std::u16string::npos) name.resize(nul);
    return true;
  }

 private:
  ByteSource& source_;
  uint64_t size_;
  uint64_t pos_;
  uint8_t window_[65536];
  uint64_t windowStart_ = 0;
  size_t windowLength_ = 0;
};

// Reads the group tables. Returns false when they run past the end of the file
// or past the entry limit; the table then holds the groups read completely.
bool ReadGroups(Cursor& cursor, uint32_t groupCount, PackageTable& table) {
  uint32_t totalEntries = 0;
  for (uint32_t g = 0; g < groupCount; ++g) {
    uint32_t nameLength = 0;
    uint32_t entryCount = 0;
    std::u16string groupName;
    if (!cursor.ReadU32(nameLength) || !cursor.ReadU32(entryCount) || !cursor.ReadName(nameLength, groupName))
      return false;
    // Each record takes at least 8 bytes: a count beyond what the file can hold
    // is known to be damaged before any entry is read.
    if (entryCount > cursor.Remaining() / 8 || entryCount > kMaxTotalEntries - totalEntries) return false;
    totalEntries += entryCount;
    std::vector<PackageEntry> entries;  // grows with what is read, not with the count
    for (uint32_t e = 0; e < entryCount; ++e) {
      uint32_t entryNameLength = 0;
      PackageEntry entry;
      if (!cursor.ReadU32(entryNameLength) || !cursor.ReadU32(entry.size) ||
          !cursor.ReadName(entryNameLength, entry.name))
        return false;
      entries.push_back(std::move(entry));
    }
    table.emplace(std::move(groupName), std::move(entries));  // the first of two equal names stays
  }
  return true;
}

// Drops every entry whose data does not lie wholly inside the file, and every
// entry after it in extraction order. Returns false when something was dropped.
bool KeepDataInsideFile(PackageTable& table, uint64_t dataOffset, uint64_t fileSize, uint64_t& dataSize) {
  dataSize = 0;
  bool cut = false;
  auto keepGroup = [&](std::vector<PackageEntry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i) {
      if (cut || entries[i].size > fileSize - dataOffset - dataSize) {
        cut = true;
        entries.resize(i);
        return;
      }
      dataSize += entries[i].size;
    }
  };
  const auto marker = table.find(std::u16string(kMarkerGroup));
  if (marker != table.end()) keepGroup(marker->second);
  for (auto& [name, entries] : table) {
    if (name != kMarkerGroup) keepGroup(entries);
  }
  return !cut;
}

}  // namespace

PackageInfo ReadPackage(ByteSource& source, PackageTable& table) {
  table.clear();
  PackageInfo info;
  const uint64_t fileSize = source.Size();
  uint8_t field[4];
  if (fileSize < kPackageOffsetField + 4 || source.ReadAt(kPackageOffsetField, field, 4) != 4) return info;
  const uint64_t offset = ReadLe32(field);
  // Offset 0 means no package, whatever the image's first bytes are; the image
  // signature test below also catches it, as it did for stubs of the past.
  if (offset == 0 || offset >= kPackageOffsetLimit || offset > fileSize || fileSize - offset < 4) return info;

  Cursor cursor(source, offset);
  uint32_t groupCount = 0;
  if (!cursor.ReadU32(groupCount) || groupCount == kImageSignature) return info;

  info.packageOffset = offset;
  const bool tableWhole = ReadGroups(cursor, groupCount, table);
  info.dataOffset = cursor.Position();
  const bool dataWhole = KeepDataInsideFile(table, info.dataOffset, fileSize, info.dataSize);
  info.status = tableWhole && dataWhole ? PackageStatus::Complete : PackageStatus::Truncated;
  return info;
}

std::vector<PlacedEntry> PlaceEntries(const PackageTable& table, uint64_t dataOffset) {
  std::vector<PlacedEntry> placed;
  uint64_t offset = dataOffset;
  auto placeGroup = [&](const std::u16string& name, const std::vector<PackageEntry>& entries) {
    for (const auto& entry : entries) {
      placed.push_back({&name, &entry, offset});
      offset += entry.size;
    }
  };
  const auto marker = table.find(std::u16string(kMarkerGroup));
  if (marker != table.end()) placeGroup(marker->first, marker->second);
  for (const auto& [name, entries] : table) {
    if (name != kMarkerGroup) placeGroup(name, entries);
  }
  return placed;
}

namespace {

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  WriteLe32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

void AppendName(std::vector<uint8_t>& out, std::u16string_view name) {
  for (char16_t unit : name) {
    out.push_back(static_cast<uint8_t>(unit));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
}

void AppendGroup(std::vector<uint8_t>& out, const std::u16string& name, const std::vector<PackageEntry>& entries) {
  AppendU32(out, static_cast<uint32_t>(name.size()));
  AppendU32(out, static_cast<uint32_t>(entries.size()));
  AppendName(out, name);
  for (const auto& entry : entries) {
    AppendU32(out, static_cast<uint32_t>(entry.name.size()));
    AppendU32(out, entry.size);
    AppendName(out, entry.name);
  }
}

}  // namespace

std::vector<uint8_t> EncodeTable(const PackageTable& table) {
  std::vector<uint8_t> out;
  AppendU32(out, static_cast<uint32_t>(table.size()));
  const auto marker = table.find(std::u16string(kMarkerGroup));
  if (marker != table.end()) AppendGroup(out, marker->first, marker->second);
  for (const auto& [name, entries] : table) {
    if (name != kMarkerGroup) AppendGroup(out, name, entries);
  }
  return out;
}

bool IsMarkerGroup(std::u16string_view group) { return group == kMarkerGroup; }

namespace {
char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
}  // namespace

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsCabinetEntry(std::u16string_view entry) { return EqualsNoCase(entry, kCabinetEntry); }

bool StoredComplemented(std::u16string_view outputPath) {
  return outputPath.find(kCabinetEntry) != std::u16string_view::npos;
}

void Complement(uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(~data[i]);
}

std::string CheckName(std::u16string_view name) {
  if (name.empty()) return "is empty";
  if (name.size() > 255) return "is longer than 255 characters";
  for (char16_t c : name) {
    if (c < 0x20) return "contains a control character";
    if (c == u'\\' || c == u'/') return "contains a path separator";
    if (c == u':') return "contains a colon (a drive or a stream name)";
    if (std::u16string_view(u"*?\"<>|").find(c) != std::u16string_view::npos)
      return "contains a character that Windows does not allow in file names";
  }
  if (name == u"." || name == u"..") return "names a folder relative to its parent";
  if (name.back() == u'.' || name.back() == u' ') return "ends with a dot or a space";
  // CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices, also with an extension.
  const std::u16string_view stem = name.substr(0, name.find(u'.'));
  for (std::u16string_view device : {u"con", u"prn", u"aux", u"nul"}) {
    if (EqualsNoCase(stem, device)) return "is a reserved device name";
  }
  if (stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), u"com") || EqualsNoCase(stem.substr(0, 3), u"lpt")) &&
      stem[3] >= u'1' && stem[3] <= u'9')
    return "is a reserved device name";
  return {};
}

}  // namespace lorent::package
