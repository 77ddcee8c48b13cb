// The bound package: layout, names with a fixed meaning, reading and writing.
//
// One definition serves the stub (reading) and the packer (writing). Portable:
// no Windows API. Everything is parsed from bytes, little-endian, never by
// casting structures.
//
// Layout, all integers little-endian u32, names UTF-16LE without terminator:
//
//   executable + 0x20   package offset P (0 when no package is bound)
//   P + 0               group count
//   P + 4               group tables, back to back:
//                         name length L, entry count N, name (2L bytes),
//                         N entry records: name length M, data size, name (2M bytes)
//   after the tables    the data area: every entry's bytes, back to back, in
//                       extraction order (the marker group first, then the other
//                       groups in ordinal name order; each group's entries in
//                       record order). Nothing records where an entry begins.
//
// The reader checks every count, length and offset against the file size in
// 64-bit arithmetic before using it, so a damaged package reads as no package
// or as a table cut short, and no size read from the file decides an
// allocation on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lorent::package {

inline constexpr uint64_t kPackageOffsetField = 0x20;
// The first four bytes of an executable ("MZ", 0x90, 0): what a package offset
// of 0 points at.
inline constexpr uint32_t kImageSignature = 0x00905A4D;
// The stub seeks to the package as a signed 32-bit position: a package must
// begin below 2 GiB.
inline constexpr uint64_t kPackageOffsetLimit = 0x80000000ull;
// More entries than any installer carries; a table claiming more is damaged.
inline constexpr uint32_t kMaxTotalEntries = 65536;

inline constexpr std::u16string_view kMarkerGroup = u"!!!E8FF0748-2339-49f9-9A79-824D7561736C";
inline constexpr std::u16string_view kCabinetEntry = u"M6CO7800-6872-63e4-1K20-518M0177178M.kwd";
inline constexpr std::u16string_view kAssistFile = u"AssistFile.ini";
inline constexpr std::u16string_view kMessageSetting = u"MessageSetting.ini";
inline constexpr std::u16string_view kMessageInfo = u"MessageInfo.xml";
inline constexpr std::u16string_view kSetupLauncher = u"UpdateModuleSetup.exe";

struct PackageEntry {
  std::u16string name;
  uint32_t size = 0;
  bool operator==(const PackageEntry& other) const { return name == other.name && size == other.size; }
};

// Group name to the group's entries. std::u16string orders by code unit value:
// the ordinal order of the data area.
using PackageTable = std::map<std::u16string, std::vector<PackageEntry>>;

enum class PackageStatus {
  Absent,     // no package: offset 0, the image signature, or an offset outside the file
  Complete,   // the table and all entry data lie within the file
  Truncated,  // the table or the data ran past the end of the file (or past the limits):
              // the table holds only the entries whose records and data lie wholly inside
};

struct PackageInfo {
  PackageStatus status = PackageStatus::Absent;
  uint64_t packageOffset = 0;  // P
  uint64_t dataOffset = 0;     // first byte of the data area
  uint64_t dataSize = 0;       // bytes of data of the entries kept in the table
};

// Random access to the bytes of a bound executable.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to n bytes at offset; returns how many were read.
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(const void* data, size_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

// Reads the package table. Group names and entry names end at their first
// NUL unit; of two groups with the same name the first stays.
PackageInfo ReadPackage(ByteSource& source, PackageTable& table);

// One entry's place in the data area.
struct PlacedEntry {
  const std::u16string* group;
  const PackageEntry* entry;
  uint64_t offset;  // absolute file offset of the entry's data
};

// Every entry in extraction order with its data offset.
std::vector<PlacedEntry> PlaceEntries(const PackageTable& table, uint64_t dataOffset);

// The group tables as the packer writes them: group count, then the groups in
// extraction order.
std::vector<uint8_t> EncodeTable(const PackageTable& table);

bool IsMarkerGroup(std::u16string_view group);
// Case-insensitive (ASCII letters only) comparison, as the fixed names are matched.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
bool IsCabinetEntry(std::u16string_view entry);
// An entry is stored complemented when the path it is written to contains the
// cabinet entry's name (case-sensitive).
bool StoredComplemented(std::u16string_view outputPath);
void Complement(uint8_t* data, size_t n);

// Why a name may not be used as a file or folder name inside the run's folder,
// or an empty text when it may. The stub refuses such names on extraction; the
// packer refuses to bind them.
std::string CheckName(std::u16string_view name);

uint32_t ReadLe32(const uint8_t* p);
void WriteLe32(uint8_t* p, uint32_t value);

}  // namespace lorent::package
