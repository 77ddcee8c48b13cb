// The package format: what the packer writes, the reader reads back, and what
// a damaged package reads as.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AllocationProbe.h"
#include "package/PackageFormat.h"

using namespace lorent::package;

namespace {

const std::u16string kMarker(kMarkerGroup);

// An executable-like image of `imageSize` bytes; when `offset` is not 0 it is
// written into the package offset field and `tail` is placed there.
std::vector<uint8_t> Image(uint32_t offset, const std::vector<uint8_t>& tail, size_t imageSize = 0x80) {
  std::vector<uint8_t> bytes(imageSize, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[2] = 0x90;
  WriteLe32(bytes.data() + kPackageOffsetField, offset);
  if (offset != 0) {
    bytes.resize(offset, 0);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
  }
  return bytes;
}

// Little builders for hand-made (and broken) tables.
struct Bytes {
  std::vector<uint8_t> data;
  Bytes& U32(uint32_t v) {
    uint8_t b[4];
    WriteLe32(b, v);
    data.insert(data.end(), b, b + 4);
    return *this;
  }
  Bytes& Name(std::u16string_view name) {
    for (char16_t c : name) {
      data.push_back(static_cast<uint8_t>(c));
      data.push_back(static_cast<uint8_t>(c >> 8));
    }
    return *this;
  }
  Bytes& Group(std::u16string_view name, uint32_t entries) { return U32(static_cast<uint32_t>(name.size())).U32(entries).Name(name); }
  Bytes& Entry(std::u16string_view name, uint32_t size) { return U32(static_cast<uint32_t>(name.size())).U32(size).Name(name); }
  Bytes& Fill(size_t n, uint8_t value = 0xAB) {
    data.insert(data.end(), n, value);
    return *this;
  }
};

PackageInfo Read(const std::vector<uint8_t>& file, PackageTable& table) {
  MemorySource source(file.data(), file.size());
  return ReadPackage(source, table);
}

TEST(PackageFormat, RoundTripKeepsTableAndData) {
  PackageTable table;
  table[kMarker] = {{u"MessageInfo.xml", 5}, {u"AssistFile.ini", 0}, {std::u16string(kCabinetEntry), 3}};
  table[u"Docs"] = {{u"readme.txt", 2}, {u"日本語.txt", 4}};
  table[u"Apps"] = {{u"tool.exe", 1}};
  // The data area in extraction order: marker, then "Apps" before "Docs".
  const std::vector<uint8_t> data = {'h', 'e', 'l', 'l', 'o', 'c', 'a', 'b', 'T', 'r', 'e', 'j', 'a', 'p', 'n'};
  auto encoded = EncodeTable(table);
  encoded.insert(encoded.end(), data.begin(), data.end());
  const auto file = Image(0x100, encoded);

  PackageTable read;
  const PackageInfo info = Read(file, read);
  ASSERT_EQ(info.status, PackageStatus::Complete);
  EXPECT_EQ(read, table);
  EXPECT_EQ(info.packageOffset, 0x100u);
  EXPECT_EQ(info.dataOffset, 0x100u + encoded.size() - data.size());
  EXPECT_EQ(info.dataSize, data.size());

  std::vector<std::u16string> order;
  std::string bytes;
  for (const auto& placed : PlaceEntries(read, info.dataOffset)) {
    order.push_back(*placed.group + u"/" + placed.entry->name);
    bytes.append(reinterpret_cast<const char*>(file.data() + placed.offset), placed.entry->size);
  }
  EXPECT_EQ(order, (std::vector<std::u16string>{kMarker + u"/MessageInfo.xml", kMarker + u"/AssistFile.ini",
                                                kMarker + u"/" + std::u16string(kCabinetEntry), u"Apps/tool.exe",
                                                u"Docs/readme.txt", u"Docs/日本語.txt"}));
  EXPECT_EQ(bytes, std::string(data.begin(), data.end()));
}

TEST(PackageFormat, GroupsAreOrderedByCodeUnitNotByLocaleOrCase) {
  PackageTable table;
  for (std::u16string name : {u"b", u"B", u"a", u"_", u"\u00e4", u"Z"}) table[name] = {{u"x", 1}};
  table[kMarker] = {{u"x", 1}};
  std::vector<std::u16string> order;
  for (const auto& placed : PlaceEntries(table, 0)) order.push_back(*placed.group);
  EXPECT_EQ(order, (std::vector<std::u16string>{kMarker, u"B", u"Z", u"_", u"a", u"b", u"\u00e4"}));
}

// The example installer: one marker group of five entries.
TEST(PackageFormat, ExampleTableTakes346Bytes) {
  PackageTable table;
  table[kMarker] = {{u"MessageInfo.xml", 231},
                    {u"MessageSetting.ini", 85},
                    {u"AssistFile.ini", 442},
                    {u"UpdateModuleSetup.exe", 2662768},
                    {std::u16string(kCabinetEntry), 20763}};
  auto encoded = EncodeTable(table);
  ASSERT_EQ(encoded.size(), 346u);
  encoded.resize(346 + 231 + 85 + 442 + 2662768 + 20763, 0x5A);
  const auto file = Image(0x4000, encoded, 0x4000);

  PackageTable read;
  const PackageInfo info = Read(file, read);
  EXPECT_EQ(info.status, PackageStatus::Complete);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read.at(kMarker).size(), 5u);
  EXPECT_EQ(info.dataOffset - info.packageOffset, 346u);
}

struct Damaged {
  const char* what;
  std::vector<uint8_t> file;
  PackageStatus status;
  std::vector<std::u16string> groups;  // what the table holds afterwards
};

std::vector<Damaged> DamagedPackages() {
  const std::u16string markerSpace = kMarker + u" ";
  std::u16string markerLower = kMarker;
  for (auto& c : markerLower) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  std::vector<Damaged> cases = {
      {"file shorter than the DOS header field", std::vector<uint8_t>{'M', 'Z', 0x90, 0}, PackageStatus::Absent, {}},
      {"package offset 0: the image's own first bytes", Image(0, {}), PackageStatus::Absent, {}},
      {"offset beyond the end of the file", Image(0, {}), PackageStatus::Absent, {}},
      {"offset of 2 GiB", Image(0, {}), PackageStatus::Absent, {}},
      {"offset 0xFFFFFFFF", Image(0, {}), PackageStatus::Absent, {}},
      {"header cut short: two bytes of the group count", Image(0x80, {1, 0}), PackageStatus::Absent, {}},
      {"group count 0: a package without groups", Image(0x80, Bytes().U32(0).data), PackageStatus::Complete, {}},
      {"group count near 2^32 with one real group",
       Image(0x80, Bytes().U32(0xFFFFFFFF).Group(u"G", 1).Entry(u"a", 1).Fill(1).data), PackageStatus::Truncated,
       {u"G"}},
      {"group name length near 2^32", Image(0x80, Bytes().U32(1).U32(0xFFFFFFFF).U32(0).Fill(64).data),
       PackageStatus::Truncated, {}},
      {"group name length 2^31", Image(0x80, Bytes().U32(1).U32(0x80000000).U32(0).Fill(64).data),
       PackageStatus::Truncated, {}},
      {"entry count near 2^32", Image(0x80, Bytes().U32(1).Group(u"G", 0xFFFFFFFF).Entry(u"a", 0).data),
       PackageStatus::Truncated, {}},
      {"entry name length near 2^32",
       Image(0x80, Bytes().U32(1).Group(u"G", 1).U32(0xFFFFFFFE).U32(0).Fill(16).data), PackageStatus::Truncated,
       {}},
      {"table cut inside an entry record", Image(0x80, Bytes().U32(1).Group(u"G", 2).Entry(u"a", 0).U32(5).data),
       PackageStatus::Truncated, {}},
      {"data size near 2^32 in a small file",
       Image(0x80, Bytes().U32(1).Group(kMarker, 2).Entry(u"a", 2).Entry(u"b", 0xFFFFFFFF).Fill(2).data),
       PackageStatus::Truncated, {kMarker}},
      {"data one byte short",
       Image(0x80, Bytes().U32(1).Group(kMarker, 1).Entry(u"a", 3).Fill(2).data), PackageStatus::Truncated,
       {kMarker}},
      {"duplicate groups: the first stays",
       Image(0x80, Bytes().U32(2).Group(u"G", 1).Entry(u"first", 1).Group(u"G", 1).Entry(u"second", 1).Fill(2).data),
       PackageStatus::Complete, {u"G"}},
      {"marker with a trailing space",
       Image(0x80, Bytes().U32(1).Group(markerSpace, 1).Entry(u"a", 1).Fill(1).data), PackageStatus::Complete,
       {markerSpace}},
      {"marker in lower case", Image(0x80, Bytes().U32(1).Group(markerLower, 1).Entry(u"a", 1).Fill(1).data),
       PackageStatus::Complete, {markerLower}},
      {"unsafe names are read as they stand",
       Image(0x80, Bytes().U32(2).Group(kMarker, 2).Entry(u"..\\..\\evil.dll", 1).Entry(u"C:\\x", 1)
                       .Group(u"../up", 1).Entry(u"a/b", 1).Fill(3).data),
       PackageStatus::Complete, {kMarker, u"../up"}},
      {"more entries than any installer carries",
       Image(0x80, [] {
         Bytes b;
         b.U32(1).Group(u"G", kMaxTotalEntries + 1);
         for (uint32_t i = 0; i <= kMaxTotalEntries; ++i) b.Entry(u"", 0);
         return b.data;
       }()),
       PackageStatus::Truncated, {}},
  };
  WriteLe32(cases[2].file.data() + kPackageOffsetField, 0x1000);
  std::vector<uint8_t> plainMz = Image(0, {});
  plainMz[2] = 0;  // an image that does not begin with the usual four bytes
  cases.push_back({"package offset 0 whatever the image begins with", plainMz, PackageStatus::Absent, {}});
  WriteLe32(cases[3].file.data() + kPackageOffsetField, 0x80000000);
  WriteLe32(cases[4].file.data() + kPackageOffsetField, 0xFFFFFFFF);
  return cases;
}

TEST(PackageFormat, DamagedPackagesReadSafely) {
  for (const auto& c : DamagedPackages()) {
    SCOPED_TRACE(c.what);
    PackageTable table;
    PackageInfo info;
    size_t largest = 0;
    {
      AllocationProbe probe;
      info = Read(c.file, table);
      largest = probe.Largest();
    }
    EXPECT_EQ(info.status, c.status);
    std::vector<std::u16string> groups;
    for (const auto& [name, entries] : table) groups.push_back(name);
    EXPECT_EQ(groups, c.groups);
    EXPECT_LE(largest, c.file.size());
    // Whatever was kept lies wholly inside the file.
    for (const auto& placed : PlaceEntries(table, info.dataOffset))
      EXPECT_LE(placed.offset + placed.entry->size, c.file.size());
  }
}

TEST(PackageFormat, DamagedPackagesKeepWhatLiesInside) {
  const auto cases = DamagedPackages();
  PackageTable table;
  Read(cases[13].file, table);  // data size near 2^32: the entry before it stays
  EXPECT_EQ(table.at(kMarker), (std::vector<PackageEntry>{{u"a", 2}}));
  Read(cases[15].file, table);  // duplicate groups
  EXPECT_EQ(table.at(u"G"), (std::vector<PackageEntry>{{u"first", 1}}));
  Read(cases[16].file, table);
  EXPECT_FALSE(IsMarkerGroup(table.begin()->first));
  Read(cases[17].file, table);
  EXPECT_FALSE(IsMarkerGroup(table.begin()->first));
}

TEST(PackageFormat, NamesEndAtTheirFirstNul) {
  const auto file = Image(0x80, Bytes().U32(1).Group(std::u16string(u"Do\0cs", 5), 1)
                                     .Entry(std::u16string(u"a.txt\0.exe", 10), 1).Fill(1).data);
  PackageTable table;
  EXPECT_EQ(Read(file, table).status, PackageStatus::Complete);
  ASSERT_EQ(table.count(u"Do"), 1u);
  EXPECT_EQ(table.at(u"Do")[0].name, u"a.txt");
}

TEST(PackageNames, CabinetMatchesInAnyCaseButIsComplementedOnlyByExactName) {
  std::u16string lower(kCabinetEntry);
  for (auto& c : lower) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  EXPECT_TRUE(IsCabinetEntry(kCabinetEntry));
  EXPECT_TRUE(IsCabinetEntry(lower));
  EXPECT_FALSE(IsCabinetEntry(std::u16string(kCabinetEntry) + u" "));
  EXPECT_TRUE(StoredComplemented(u"C:\\ProgramData\\run\\" + std::u16string(kCabinetEntry)));
  EXPECT_FALSE(StoredComplemented(u"C:\\ProgramData\\run\\" + lower));
  EXPECT_TRUE(EqualsNoCase(u"assistfile.INI", kAssistFile));
  EXPECT_FALSE(EqualsNoCase(u"AssistFile.in", kAssistFile));

  uint8_t bytes[] = {0x00, 0xFF, 0x5A};
  Complement(bytes, 3);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0x00);
  EXPECT_EQ(bytes[2], 0xA5);
}

TEST(PackageNames, UnsafeNamesAreRefused) {
  struct Case {
    std::u16string name;
    bool safe;
  };
  const Case cases[] = {
      {u"AssistFile.ini", true},
      {u"日本語 ファイル.txt", true},
      {u".hidden", true},
      {u"a..b", true},
      {u"console.txt", true},  // only the exact device stems are reserved
      {u"", false},
      {u".", false},
      {u"..", false},
      {u"..\\evil.dll", false},
      {u"sub/file", false},
      {u"sub\\file", false},
      {u"C:evil", false},       // a drive
      {u"file.txt:stream", false},
      {u"\\\\server\\share", false},
      {u"name.", false},        // Windows strips the dot: two names could meet
      {u"name ", false},
      {u"CON", false},
      {u"nul.txt", false},
      {u"Com1.log", false},
      {u"lpt9", false},
      {u"a*b", false},
      {u"tab\there", false},
      {std::u16string(256, u'x'), false},
      {std::u16string(255, u'x'), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
    EXPECT_EQ(CheckName(c.name).empty(), c.safe) << CheckName(c.name);
  }
}

}  // namespace
