// lorent-pack: the package description, binding, and what it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pack/Builder.h"
#include "pack/Description.h"
#include "pack/FileSource.h"
#include "pack/Inspect.h"
#include "package/PackageFormat.h"

namespace fs = std::filesystem;
using namespace lorent;
using namespace lorent::pack;

namespace {

const std::u16string kMarker(package::kMarkerGroup);

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A minimal PE32+ image: DOS header, PE signature, file header and an optional
// header with its data directories.
std::string Stub(bool signedImage = false) {
  std::string image(0x400, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  auto put32 = [&](size_t at, uint32_t v) { package::WriteLe32(reinterpret_cast<uint8_t*>(&image[at]), v); };
  put32(0x3C, 0x80);
  image.replace(0x80, 4, std::string("PE\0\0", 4));
  image[0x84] = static_cast<char>(0x64);  // machine 0x8664
  image[0x85] = static_cast<char>(0x86);
  image[0x80 + 20] = static_cast<char>(240);  // size of the optional header
  image[0x80 + 24] = 0x0B;                     // PE32+ magic 0x20B
  image[0x80 + 25] = 0x02;
  if (signedImage) put32(0x80 + 24 + 112 + 4 * 8 + 4, 0x100);  // certificate table size
  return image;
}

class Packer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("lorent-packer-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "docs");
    WriteFile(dir_ / "stub.exe", Stub());
    WriteFile(dir_ / "AssistFile.ini", "[ParamOption]\r\nExecuteFileName=setup.exe\r\n");
    WriteFile(dir_ / "launcher.exe", std::string(65537, 'L'));
    WriteFile(dir_ / "product.cab", std::string("MSCF\0\0\0\0\xff\x01", 10));
    WriteFile(dir_ / "docs" / "readme.txt", "read me");
    WriteFile(dir_ / "block.bin", std::string(65536, '\x7f'));
  }
  void TearDown() override { fs::remove_all(dir_); }

  bool Parse(const std::string& text, PackageDescription& description, std::string& error,
             const std::map<std::string, std::string>& variables = {}) {
    return ParseDescription(text, dir_, variables, "test.lorent", description, error);
  }

  fs::path dir_;
};

const char* const kDescription =
    "# example\n"
    "stub = stub.exe\n"
    "output = ${out}\n"
    "\n"
    "[files]\n"
    "cabinet = product.cab\n"
    "AssistFile.ini = AssistFile.ini\n"
    "UpdateModuleSetup.exe = launcher.exe\n"
    "\n"
    "[group Docs]\n"
    "readme.txt = docs/readme.txt\n"
    "block.bin = block.bin\n";

TEST_F(Packer, BindsAndReadsBackByteForByte) {
  PackageDescription description;
  std::string error;
  ASSERT_TRUE(Parse(kDescription, description, error, {{"out", (dir_ / "Setup.exe").string()}})) << error;
  // The cabinet is always the marker group's last entry.
  ASSERT_EQ(description.groups[0].files.back().name, package::kCabinetEntry);

  BuildResult result;
  ASSERT_TRUE(BuildPackage(description, result, error)) << error;
  EXPECT_FALSE(fs::exists(dir_ / "Setup.exe.partial"));

  const std::string bound = ReadFile(dir_ / "Setup.exe");
  EXPECT_EQ(bound.size(), result.fileSize);
  // The stub comes first, changed only in its package offset field.
  std::string stub = Stub();
  package::WriteLe32(reinterpret_cast<uint8_t*>(&stub[0x20]), static_cast<uint32_t>(stub.size()));
  EXPECT_EQ(bound.substr(0, stub.size()), stub);

  FileSource source(dir_ / "Setup.exe");
  package::PackageTable table;
  const auto info = package::ReadPackage(source, table);
  ASSERT_EQ(info.status, package::PackageStatus::Complete);
  EXPECT_EQ(info.packageOffset, stub.size());
  EXPECT_EQ(info.dataOffset + info.dataSize, bound.size());

  const std::map<std::u16string, fs::path> sources = {
      {kMarker + u"/AssistFile.ini", dir_ / "AssistFile.ini"},
      {kMarker + u"/UpdateModuleSetup.exe", dir_ / "launcher.exe"},
      {kMarker + u"/" + std::u16string(package::kCabinetEntry), dir_ / "product.cab"},
      {u"Docs/readme.txt", dir_ / "docs" / "readme.txt"},
      {u"Docs/block.bin", dir_ / "block.bin"},
  };
  size_t seen = 0;
  for (const auto& placed : package::PlaceEntries(table, info.dataOffset)) {
    const std::u16string key = *placed.group + u"/" + placed.entry->name;
    ASSERT_TRUE(sources.count(key));
    std::string data = bound.substr(placed.offset, placed.entry->size);
    if (package::IsCabinetEntry(placed.entry->name)) {
      EXPECT_NE(data, ReadFile(sources.at(key))) << "the cabinet is stored complemented";
      package::Complement(reinterpret_cast<uint8_t*>(data.data()), data.size());
    }
    EXPECT_EQ(data, ReadFile(sources.at(key)));
    ++seen;
  }
  EXPECT_EQ(seen, sources.size());

  std::ostringstream out, err;
  EXPECT_EQ(InspectPackage(dir_ / "Setup.exe", out, err), 0) << err.str();
  EXPECT_NE(out.str().find("UpdateModuleSetup.exe"), std::string::npos);
  EXPECT_NE(out.str().find("(cabinet, stored complemented)"), std::string::npos);
  EXPECT_NE(out.str().find("group \"Docs\", 2 entries"), std::string::npos);
}

TEST_F(Packer, DescriptionErrorsNameTheLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"[files]\n..\\evil.dll = a\n", ":2: entry name \"..\\evil.dll\" contains a path separator"},
      {"[files]\n.. = a\n", "relative to its parent"},
      {"[files]\nC:evil = a\n", "contains a colon"},
      {"[files]\nsub/x = a\n", "path separator"},
      {"[files]\ncon.txt = a\n", "reserved device name"},
      {"[files]\nname. = a\n", "ends with a dot"},
      {"[files]\n = a\n", "a name is missing"},
      {"[files]\nx = \n", "names no file"},
      {"[files]\na.txt = a\nA.TXT = b\n", ":3: entry \"A.TXT\" is given twice"},
      {"[files]\nx = a\n[group Docs]\ny = b\n[group docs]\n", ":5: group \"docs\" is given twice"},
      {"[files]\nx = a\n[group ..]\n", "group name \"..\""},
      {"[files]\nx = a\n[group a\\b]\n", "group name \"a\\b\" contains a path separator"},
      {"[files]\nx = a\n[group !!!E8FF0748-2339-49f9-9A79-824D7561736C]\n", "under [files]"},
      {"[files]\nM6CO7800-6872-63e4-1K20-518M0177178M.kwd = a\n", "cabinet = FILE"},
      {"[files]\ncopy-M6CO7800-6872-63e4-1K20-518M0177178M.kwd = a\n", "may not contain the cabinet"},
      {"[files]\ncabinet = a\ncabinet = b\n", "only one cabinet"},
      {"[files]\nx = a\n[group Docs]\ncabinet = a\n", "the cabinet belongs in [files]"},
      {"[files]\nx = ${missing}\n", "no value for ${missing}"},
      {"[files]\nx = ${open\n", "unterminated"},
      {"[other]\n", "unknown section [other]"},
      {"[files\n", "must end with \"]\""},
      {"colour = blue\n", "unknown setting \"colour\""},
      {"[files]\njust text\n", "expected NAME = VALUE"},
      {"[files]\n\xC3(bad) = a\n", "not valid UTF-8"},
      {"stub = stub.exe\n", "no files under [files]"},
      {"[files]\nx = a\n[files]\n", "[files] is given twice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    PackageDescription description;
    std::string error;
    EXPECT_FALSE(Parse(c.text, description, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.rfind("test.lorent:", 0), 0u) << error;
  }
}

TEST_F(Packer, RefusesBadStubsAndInputs) {
  WriteFile(dir_ / "text.exe", "just text, not a program at all........................................");
  WriteFile(dir_ / "signed.exe", Stub(true));

  struct Case {
    const char* what;
    fs::path stub;
    std::string files;
    const char* message;
  };
  const Case cases[] = {
      {"not a program", dir_ / "text.exe", "x = AssistFile.ini\n", "is not a Windows executable"},
      {"signed stub", dir_ / "signed.exe", "x = AssistFile.ini\n", "is signed"},
      {"missing stub", dir_ / "none.exe", "x = AssistFile.ini\n", "cannot read the stub"},
      {"unreadable file", dir_ / "stub.exe", "x = missing.bin\n", "cannot read"},
      {"a folder as a file", dir_ / "stub.exe", "x = docs\n", "cannot read"},
      {"output is an input", dir_ / "stub.exe", "x = Setup.exe\n", "is also an input"},
  };
  WriteFile(dir_ / "Setup.exe", "old installer");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PackageDescription description;
    std::string error;
    ASSERT_TRUE(Parse("output = Setup.exe\n[files]\nUpdateModuleSetup.exe = launcher.exe\n" + c.files, description,
                      error))
        << error;
    description.stub = c.stub;
    BuildResult result;
    EXPECT_FALSE(BuildPackage(description, result, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dir_ / "Setup.exe"), "old installer") << "a failed build leaves the old output";
  }
}

TEST_F(Packer, RefusesToBindTwiceOrToOverwriteTheStub) {
  PackageDescription description;
  std::string error;
  ASSERT_TRUE(Parse("stub = stub.exe\noutput = Setup.exe\n[files]\nUpdateModuleSetup.exe = launcher.exe\n",
                    description, error));
  BuildResult result;
  ASSERT_TRUE(BuildPackage(description, result, error)) << error;

  description.stub = dir_ / "Setup.exe";
  description.output = dir_ / "Again.exe";
  EXPECT_FALSE(BuildPackage(description, result, error));
  EXPECT_NE(error.find("already carries a package"), std::string::npos) << error;

  description.stub = dir_ / "stub.exe";
  description.output = dir_ / "stub.exe";
  EXPECT_FALSE(BuildPackage(description, result, error));
  EXPECT_NE(error.find("overwrite the stub"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(dir_ / "stub.exe"), Stub());
}

TEST_F(Packer, RefusesAStubOf2GiB) {
  // A sparse file: the size is checked before anything is read.
  fs::path big = dir_ / "big.exe";
  WriteFile(big, Stub());
  fs::resize_file(big, 0x80000000ull);
  PackageDescription description;
  std::string error;
  ASSERT_TRUE(Parse("output = Setup.exe\n[files]\nx = AssistFile.ini\n", description, error));
  description.stub = big;
  BuildResult result;
  EXPECT_FALSE(BuildPackage(description, result, error));
  EXPECT_NE(error.find("beyond 2 GiB"), std::string::npos) << error;
}

TEST_F(Packer, InspectReportsMissingAndDamagedPackages) {
  std::ostringstream out, err;
  EXPECT_EQ(InspectPackage(dir_ / "stub.exe", out, err), 1);
  EXPECT_NE(err.str().find("carries no package"), std::string::npos);

  PackageDescription description;
  std::string error;
  ASSERT_TRUE(Parse("stub = stub.exe\noutput = Setup.exe\n[files]\nUpdateModuleSetup.exe = launcher.exe\n",
                    description, error));
  BuildResult result;
  ASSERT_TRUE(BuildPackage(description, result, error)) << error;
  fs::resize_file(dir_ / "Setup.exe", result.fileSize - 1);
  std::ostringstream out2, err2;
  EXPECT_EQ(InspectPackage(dir_ / "Setup.exe", out2, err2), 1);
  EXPECT_NE(err2.str().find("damaged"), std::string::npos);
}

}  // namespace
