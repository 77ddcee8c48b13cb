// The package description: what a release engineer keeps in version control.
//
//   # a comment line
//   stub     = path/to/lorent.exe      # the stub to bind to (--stub overrides)
//   output   = out/ProductSetup.exe    # the installer to write (--output overrides)
//   codepage = ascii                   # code page of the setting values (--codepage overrides)
//   setup    = build/setup.exe         # optional: the packaged setup's own file, for enc_data
//
//   [files]                            # the marker group: extracted into the working folder
//   UpdateModuleSetup.exe = ${launcher}  # required: the setup launcher
//   MessageInfo.xml       = message.xml
//   cabinet               = product.cab   # the product's cabinet archive
//
//   [AssistFile.ini]                   # plain values; the packer writes the file
//   ExecuteFileName = setup.exe
//   ParamManual     =
//   ProductName     = "Product 2.0"
//   SuccessCode     = 0;3010
//
//   [MessageSetting.ini]
//   IsShowMessageBox = 1
//   IsOk             = 1
//
//   [group Docs]                       # another group: the subfolder "Docs"
//   readme.txt = docs/readme.txt
//
// The text is UTF-8. "${NAME}" in a value is replaced by the value given with
// -D NAME=VALUE; an unknown name is an error. Relative paths are taken from the
// description's own folder. Entries keep the order in which they are listed,
// except that UpdateModuleSetup.exe and the settings files lead the marker
// group and the cabinet is always its last entry, so the settings can be read
// (and deciphered) at the first ordinary file and before the cabinet is
// expanded.
//
// Settings. The sections [AssistFile.ini] and [MessageSetting.ini] give the
// plain values of the two settings files; the packer writes each file
// ([ParamOption] and [Setting] respectively, single-byte text, CR LF, keys in
// the order given) into the marker group, with every non-empty value
// enciphered with the key of the packaged UpdateModuleSetup.exe. A value is
// the text after "=" with the white space around it removed; enclose it in
// double quotes to keep white space at its ends. The whole line after "=" is
// the value ("#" starts no comment there). Key names are letters, digits,
// "_", "-" and "."; each key once per section (names ignore case). A file of
// either name may be listed under [files] instead (taken as it is), not both.
// When [AssistFile.ini] names an ExecuteFileName and gives no enc_data, the
// packer adds enc_data: the digest of that entry of the package ([files], or
// "GROUP\name" for another group), or of the file given by "setup" when the
// setup comes inside the cabinet.
//
// Code page: the stub turns a deciphered value into text with the ANSI code
// page of the machine it runs on. The default "ascii" admits only characters
// 1 to 127, which read the same under every ANSI code page. "codepage = 932"
// (or 1252, ...) writes the values in that code page; they read correctly only
// where it is the ANSI code page. A value must fit the readers: at most 93
// bytes in the code page (127 characters once stored), and no NUL or other
// control character (tab excepted).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "pack/CodePage.h"

namespace lorent::pack {

struct FileSpec {
  std::u16string name;            // entry name inside the package
  std::filesystem::path source;   // the file whose bytes are bound
  int line = 0;                   // where it was given, for messages
  bool generated = false;         // the bytes are `content`, made by the packer
  std::string content;
};

struct SettingSpec {
  std::string key;
  std::string value;              // plain text, UTF-8
  int line = 0;
};

struct SettingsFileSpec {
  std::u16string name;            // AssistFile.ini or MessageSetting.ini
  std::string section;            // ParamOption or Setting
  std::vector<SettingSpec> values;
  int line = 0;
};

struct GroupSpec {
  std::u16string name;            // the marker name for [files]
  std::vector<FileSpec> files;
};

struct PackageDescription {
  std::filesystem::path stub;
  std::filesystem::path output;
  std::vector<GroupSpec> groups;  // [files] first, then the others as listed
  std::vector<SettingsFileSpec> settings;
  uint32_t codePage = kAsciiCodePage;
  std::filesystem::path setup;    // the packaged setup's source, when it is not an entry
};

// Parses a description. On failure returns false and says why (with the file
// name and line) in `error`.
bool ParseDescription(const std::string& text, const std::filesystem::path& baseFolder,
                      const std::map<std::string, std::string>& variables, const std::string& fileLabel,
                      PackageDescription& description, std::string& error);

bool LoadDescription(const std::filesystem::path& file, const std::map<std::string, std::string>& variables,
                     PackageDescription& description, std::string& error);

// A path given as UTF-8 text.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace lorent::pack
