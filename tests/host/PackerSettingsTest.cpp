// lorent-pack's settings files: what build writes, what it refuses, and what
// inspect and verify read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "pack/Builder.h"
#include "pack/Description.h"
#include "pack/FileSource.h"
#include "pack/Settings.h"
#include "package/PackageFormat.h"
#include "settings/Aes.h"
#include "settings/Base64.h"
#include "settings/Md5.h"
#include "settings/ValueCipher.h"

namespace fs = std::filesystem;
using namespace lorent;
using namespace lorent::pack;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Md5Text(const std::string& bytes) {
  CMD5Checksum md5;
  md5.Update(bytes.data(), bytes.size());
  uint8_t digest[16];
  md5.Final(digest);
  return CMD5Checksum::DigestText(digest);
}

std::string Stub() {
  std::string image(0x400, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  package::WriteLe32(reinterpret_cast<uint8_t*>(&image[0x3C]), 0x80);
  image.replace(0x80, 4, std::string("PE\0\0", 4));
  return image;
}

class PackerSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("lorent-settings-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    WriteFile(dir_ / "stub.exe", Stub());
    WriteFile(dir_ / "launcher.exe", std::string(70000, 'L') + "end");
    WriteFile(dir_ / "setup.exe", "the packaged setup");
    WriteFile(dir_ / "product.cab", "MSCF....");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Builds Setup.exe from a description; false with the message in error_.
  bool Build(const std::string& text, uint32_t codePage = 0) {
    PackageDescription description;
    if (!ParseDescription(text, dir_, {}, "test.lorent", description, error_)) return false;
    if (codePage) description.codePage = codePage;
    description.stub = dir_ / "stub.exe";
    description.output = dir_ / "Setup.exe";
    BuildResult result;
    return BuildPackage(description, result, error_);
  }

  // The bytes of a marker-group entry of Setup.exe.
  std::string Entry(std::u16string_view name) {
    FileSource source(dir_ / "Setup.exe");
    package::PackageTable table;
    const auto info = package::ReadPackage(source, table);
    for (const auto& placed : package::PlaceEntries(table, info.dataOffset)) {
      if (package::IsMarkerGroup(*placed.group) && placed.entry->name == name) {
        std::string bytes(placed.entry->size, '\0');
        source.ReadAt(placed.offset, bytes.data(), bytes.size());
        return bytes;
      }
    }
    return "(absent)";
  }

  std::vector<std::u16string> MarkerNames() {
    FileSource source(dir_ / "Setup.exe");
    package::PackageTable table;
    package::ReadPackage(source, table);
    std::vector<std::u16string> names;
    for (const auto& entry : table[std::u16string(package::kMarkerGroup)]) names.push_back(entry.name);
    return names;
  }

  int Verify(std::string* errors = nullptr, uint32_t codePage = kAsciiCodePage, const fs::path& setup = {}) {
    std::ostringstream out, err;
    const int status = VerifyPackage(dir_ / "Setup.exe", codePage, setup, out, err);
    if (errors) *errors = err.str();
    return status;
  }

  fs::path dir_;
  std::string error_;
};

const char* const kFiles =
    "[files]\n"
    "UpdateModuleSetup.exe = launcher.exe\n"
    "setup.exe = setup.exe\n"
    "cabinet = product.cab\n";

TEST_F(PackerSettings, WritesEncipheredFilesTheStubReads) {
  const std::string longest(kMaxPlainBytes, 'z');
  ASSERT_TRUE(Build(std::string(kFiles) +
                    "[AssistFile.ini]\n"
                    "ExecuteFileName = setup.exe\n"
                    "ParamManual =\n"
                    "ParamDAM = \"  /quiet  \"\n"
                    "ProductName = C# Tools = 2\n"
                    "SuccessCode = 0;3010\n"
                    "UseZEKACheck = 1\n"
                    "Longest = " + longest + "\n"
                    "[MessageSetting.ini]\n"
                    "IsShowMessageBox = 1\n"))
      << error_;

  // Both files lead the marker group with the launcher, before the first
  // ordinary file (setup.exe); the cabinet stays last.
  EXPECT_EQ(MarkerNames(), (std::vector<std::u16string>{u"AssistFile.ini", u"MessageSetting.ini",
                                                         u"UpdateModuleSetup.exe", u"setup.exe",
                                                         std::u16string(package::kCabinetEntry)}));

  const std::string assist = Entry(u"AssistFile.ini");
  std::string section;
  std::vector<StoredSetting> values;
  ASSERT_TRUE(ParseSettingsFile(assist, section, values));
  EXPECT_EQ(section, "ParamOption");
  EXPECT_EQ(assist.rfind("[ParamOption]\r\nExecuteFileName=", 0), 0u);
  EXPECT_EQ(assist.find('\n'), assist.find("\r\n") + 1);
  EXPECT_EQ(assist.substr(assist.size() - 2), "\r\n");
  EXPECT_EQ(assist.find("\r\n\r\n"), std::string::npos) << "no blank lines";

  uint8_t key[16];
  ASSERT_TRUE(KeyFromKeyText(Md5Text(ReadFile(dir_ / "launcher.exe")), key));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"ExecuteFileName", "setup.exe"}, {"ParamManual", ""},      {"ParamDAM", "  /quiet  "},
      {"ProductName", "C# Tools = 2"},  {"SuccessCode", "0;3010"}, {"UseZEKACheck", "1"},
      {"Longest", longest},             {"enc_data", Md5Text("the packaged setup")},
  };
  ASSERT_EQ(values.size(), expected.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(values[i].key, expected[i].first);
    EXPECT_LE(values[i].stored.size(), kMaxStoredLength) << values[i].key;
    if (expected[i].second.empty()) {
      EXPECT_EQ(values[i].stored, "") << "an empty value is stored empty";
      continue;
    }
    EXPECT_NE(values[i].stored, expected[i].second);
    std::string plain;
    ASSERT_TRUE(DecipherStoredText(key, values[i].stored, plain)) << values[i].key;
    EXPECT_EQ(plain, expected[i].second) << values[i].key;
  }
  EXPECT_EQ(Entry(u"MessageSetting.ini").substr(0, 28), "[Setting]\r\nIsShowMessageBox=");

  std::string errors;
  EXPECT_EQ(Verify(&errors), 0) << errors;
  std::ostringstream out, err;
  EXPECT_EQ(InspectSettings(dir_ / "Setup.exe", kAsciiCodePage, out, err), 0) << err.str();
  EXPECT_NE(out.str().find("  ParamDAM = \"  /quiet  \"\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("  ProductName = \"C# Tools = 2\"\n"), std::string::npos) << out.str();
}

TEST_F(PackerSettings, RefusesWhatTheStubCouldNotReadBack) {
  const struct {
    const char* what;
    std::string text;
    uint32_t codePage;
    const char* message;
  } cases[] = {
      {"94 bytes", std::string(kFiles) + "[AssistFile.ini]\nProductName = " + std::string(94, 'x') + "\n", 0,
       "[AssistFile.ini] ProductName (line 6) is 94 bytes in code page ascii; at most 93"},
      {"94 bytes in 1252", std::string(kFiles) + "[AssistFile.ini]\nProductName = " + std::string(47, 'x') +
                               std::string(47, 'x') + "\n",
       1252, "is 94 bytes in code page 1252"},
      {"beyond ASCII", std::string(kFiles) + "[MessageSetting.ini]\nIsOk = caf\xC3\xA9\n", 0,
       "[MessageSetting.ini] IsOk (line 6) has characters beyond ASCII"},
      {"not in 1252", std::string(kFiles) + "[AssistFile.ini]\nProductName = \xE6\x97\xA5\xE6\x9C\xAC\n", 1252,
       "ProductName (line 6) has characters that code page 1252 cannot represent"},
      {"NUL", std::string(kFiles) + "[AssistFile.ini]\nProductName = a" + std::string(1, '\0') + "b\n", 0,
       "ProductName (line 6) holds a NUL"},
      {"control character", std::string(kFiles) + "[AssistFile.ini]\nProductName = a\x01b\n", 0,
       "ProductName (line 6) holds a control character"},
      {"no launcher", "[files]\nsetup.exe = setup.exe\n[AssistFile.ini]\nProductName = x\n", 0,
       "no UpdateModuleSetup.exe"},
      {"no launcher, no settings", "[files]\nsetup.exe = setup.exe\n", 0, "no UpdateModuleSetup.exe"},
      {"setup in the cabinet", std::string(kFiles) + "[AssistFile.ini]\nExecuteFileName = inner\\setup.exe\n", 0,
       "the packaged setup \"inner\\setup.exe\" (ExecuteFileName, line 6) is not a file of the package"},
      {"enc_data form", std::string(kFiles) + "[AssistFile.ini]\nenc_data = 1234\n", 0, "must be 32 hexadecimal"},
      {"unknown code page", std::string(kFiles) + "[AssistFile.ini]\nProductName = x\n", 99999,
       "code page 99999 is unknown"},
      {"file and section", std::string(kFiles) + "AssistFile.ini = setup.exe\n[AssistFile.ini]\nA = 1\n", 0,
       "test.lorent:5: \"AssistFile.ini\" is listed as a file and also given as [AssistFile.ini] (line 6)"},
      {"key twice", std::string(kFiles) + "[AssistFile.ini]\nIsOk = 1\nisok = 0\n", 0, ":7: setting \"isok\" is given twice"},
      {"key name", std::string(kFiles) + "[AssistFile.ini]\nbad key = 1\n", 0, "setting name \"bad key\""},
      {"section twice", std::string(kFiles) + "[AssistFile.ini]\n[assistfile.ini]\n", 0, "is given twice"},
      {"code page word", "codepage = utf8\n" + std::string(kFiles), 0, "codepage must be"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(dir_ / "Setup.exe");
    EXPECT_FALSE(Build(c.text, c.codePage));
    EXPECT_NE(error_.find(c.message), std::string::npos) << error_;
    EXPECT_FALSE(fs::exists(dir_ / "Setup.exe"));
  }
  // 93 bytes is the longest that fits.
  EXPECT_TRUE(Build(std::string(kFiles) + "[AssistFile.ini]\nProductName = " + std::string(93, 'x') + "\n")) << error_;
}

TEST_F(PackerSettings, CodePagesAndTheSetupFile) {
  // The setup inside the cabinet: its digest from "setup = FILE".
  ASSERT_TRUE(Build("codepage = 932\nsetup = setup.exe\n" + std::string(kFiles) +
                    "[AssistFile.ini]\nExecuteFileName = inner\\setup.exe\n"
                    "ProductName = \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE3\x82\xBB\xE3\x83\x83\xE3\x83\x88\n"))
      << error_;
  std::string errors;
  EXPECT_EQ(Verify(&errors, 932, dir_ / "setup.exe"), 0) << errors;
  // Without the setup's file, enc_data cannot be checked.
  EXPECT_EQ(Verify(&errors, 932), 1);
  EXPECT_NE(errors.find("give it with --setup FILE"), std::string::npos) << errors;
  // Read as ASCII the value is not text.
  EXPECT_EQ(Verify(&errors, kAsciiCodePage, dir_ / "setup.exe"), 1);
  EXPECT_NE(errors.find("is not text in code page ascii"), std::string::npos) << errors;

  // The value is stored in code page 932: 2 bytes a character.
  uint8_t key[16];
  KeyFromKeyText(Md5Text(ReadFile(dir_ / "launcher.exe")), key);
  std::string section, plain;
  std::vector<StoredSetting> values;
  ParseSettingsFile(Entry(u"AssistFile.ini"), section, values);
  ASSERT_EQ(values.size(), 3u);
  ASSERT_TRUE(DecipherStoredText(key, values[1].stored, plain));
  EXPECT_EQ(plain, "\x93\xfa\x96\x7b\x8c\xea \x83\x5a\x83\x62\x83\x67");
}

TEST_F(PackerSettings, VerifyFindsWhatTheStubWouldMisread) {
  // A settings file made for another launcher, listed as a file.
  uint8_t otherKey[16];
  KeyFromKeyText(Md5Text("another launcher"), otherKey);
  // And a block whose text ends early but whose bytes after the end are not
  // zero: the stub reads "abcde", which the packer would store otherwise.
  uint8_t key[16];
  KeyFromKeyText(Md5Text(ReadFile(dir_ / "launcher.exe")), key);
  uint8_t block[17] = "abcde\0ghijklmnop";
  AES(key).EncryptBlock(block);
  WriteFile(dir_ / "AssistFile.ini", SettingsFileText("ParamOption", {{"ShowResult", EncipherPlainText(otherKey, "1")},
                                                                      {"Elevation", "not base64!"},
                                                                      {"IsOk", EncodeBase64(block, 16)}}));
  ASSERT_TRUE(Build(std::string(kFiles) + "AssistFile.ini = AssistFile.ini\n")) << error_;
  std::string errors;
  EXPECT_EQ(Verify(&errors), 1);
  // Another key's block mostly deciphers to 16 bytes without a zero, which
  // round-trip; beyond ASCII they are not text.
  EXPECT_NE(errors.find("AssistFile.ini: ShowResult "), std::string::npos) << errors;
  EXPECT_NE(errors.find("Elevation does not decipher"), std::string::npos) << errors;
  EXPECT_NE(errors.find("IsOk does not round-trip: it deciphers to \"abcde\""), std::string::npos) << errors;

  // enc_data given, but not the packaged setup's digest.
  ASSERT_TRUE(Build(std::string(kFiles) + "[AssistFile.ini]\nExecuteFileName = setup.exe\nenc_data = " +
                    std::string(32, 'a') + "\n"))
      << error_;
  EXPECT_EQ(Verify(&errors), 1);
  EXPECT_NE(errors.find("is not the digest of the packaged setup"), std::string::npos) << errors;
  // Given in lower case and right, it matches.
  std::string digest = Md5Text("the packaged setup");
  for (char& c : digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_TRUE(Build(std::string(kFiles) + "[AssistFile.ini]\nExecuteFileName = SETUP.EXE\nenc_data = " + digest + "\n"))
      << error_;
  EXPECT_EQ(Verify(&errors), 0) << errors;

  // A stored text the reader would cut.
  WriteFile(dir_ / "AssistFile.ini", SettingsFileText("ParamOption", {{"ProductName", std::string(128, 'A')}}));
  ASSERT_TRUE(Build(std::string(kFiles) + "AssistFile.ini = AssistFile.ini\n")) << error_;
  EXPECT_EQ(Verify(&errors), 1);
  EXPECT_NE(errors.find("the reader keeps 127"), std::string::npos) << errors;
}

// The checked-in settings files are what this packer writes from the
// fixture's description (the Windows tests read them with the stub's code).
// LORENT_UPDATE_FIXTURES=1 rewrites them.
TEST(PackerFixture, CheckedInSettingsAreWhatThePackerWrites) {
  const fs::path folder = fs::path(LORENT_SOURCE_DIR) / "tests" / "fixtures" / "settings";
  PackageDescription description;
  std::string error;
  ASSERT_TRUE(LoadDescription(folder / "settings.lorent", {}, description, error)) << error;
  ASSERT_TRUE(PrepareSettings(description, error)) << error;
  int made = 0;
  for (const auto& file : description.groups[0].files) {
    if (!file.generated) continue;
    const fs::path path = folder / std::string(file.name.begin(), file.name.end());
    if (std::getenv("LORENT_UPDATE_FIXTURES")) WriteFile(path, file.content);
    EXPECT_EQ(file.content, ReadFile(path)) << path;
    ++made;
  }
  EXPECT_EQ(made, 2);
}

}  // namespace
