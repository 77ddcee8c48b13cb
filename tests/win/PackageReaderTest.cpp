// The stub's package reader on real files, through the C runtime's streams.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/WinText.h"
#include "package/PackageReader.h"

using namespace lorent;
using package::PackageTable;

namespace {

std::wstring TempPath(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

// A 0x200-byte image that begins like an executable, followed by `table` and `data`.
std::vector<uint8_t> Image(const PackageTable& table, const std::vector<uint8_t>& data, bool bind = true) {
  std::vector<uint8_t> bytes(0x200, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[2] = 0x90;
  if (!bind) return bytes;
  package::WriteLe32(bytes.data() + 0x20, 0x200);
  const auto encoded = package::EncodeTable(table);
  bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

UniqueStream WriteAndOpen(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  {
    UniqueStream out(_wfopen(path.c_str(), L"wb"));
    std::fwrite(bytes.data(), 1, bytes.size(), out.Get());
  }
  return UniqueStream(_wfopen(path.c_str(), L"rb"));
}

TEST(ReadPackageTable, LeavesTheStreamAtTheDataArea) {
  PackageTable table;
  table[std::u16string(package::kMarkerGroup)] = {{u"AssistFile.ini", 3}, {u"UpdateModuleSetup.exe", 2}};
  table[u"Docs"] = {{u"readme.txt", 4}};
  const std::wstring path = TempPath(L"lorent-reader-1.bin");
  UniqueStream file = WriteAndOpen(path, Image(table, {'a', 'b', 'c', 'X', 'Y', 'd', 'o', 'c', 's'}));
  ASSERT_TRUE(file);

  PackageTable read;
  package::PackageInfo info;
  ASSERT_TRUE(ReadPackageTable(file.Get(), read, &info));
  EXPECT_EQ(info.status, package::PackageStatus::Complete);
  EXPECT_EQ(read, table);
  // The stub consumes the data area in sequence from where the reader stops.
  EXPECT_EQ(_ftelli64(file.Get()), static_cast<__int64>(info.dataOffset));
  char data[10] = {};
  EXPECT_EQ(std::fread(data, 1, 9, file.Get()), 9u);
  EXPECT_STREQ(data, "abcXYdocs");
  file.Reset();
  DeleteFileW(path.c_str());
}

TEST(ReadPackageTable, ExecutableWithoutPackageHasNone) {
  const std::wstring path = TempPath(L"lorent-reader-2.bin");
  UniqueStream file = WriteAndOpen(path, Image({}, {}, false));
  PackageTable read;
  read[u"stale"] = {};
  EXPECT_FALSE(ReadPackageTable(file.Get(), read));
  EXPECT_TRUE(read.empty());
  file.Reset();
  DeleteFileW(path.c_str());
}

TEST(ReadPackageTable, DataRunningPastTheEndIsCutShort) {
  PackageTable table;
  table[std::u16string(package::kMarkerGroup)] = {{u"a.txt", 2}, {u"b.txt", 0xFFFFFFF0u}};
  const std::wstring path = TempPath(L"lorent-reader-3.bin");
  UniqueStream file = WriteAndOpen(path, Image(table, {'h', 'i'}));
  PackageTable read;
  package::PackageInfo info;
  ASSERT_TRUE(ReadPackageTable(file.Get(), read, &info));
  EXPECT_EQ(info.status, package::PackageStatus::Truncated);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read.begin()->second, (std::vector<package::PackageEntry>{{u"a.txt", 2}}));
  file.Reset();
  DeleteFileW(path.c_str());
}

TEST(GetOwnExecutablePath, NamesThisProgram) {
  const std::wstring self = GetOwnExecutablePath();
  ASSERT_GT(self.size(), 4u);
  EXPECT_NE(self.find(L"package_reader_test.exe"), std::wstring::npos);
  EXPECT_EQ(GetFileAttributesW(self.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
