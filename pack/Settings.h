// The packer's side of the settings files: the plain values of the package
// description become AssistFile.ini and MessageSetting.ini with every value
// enciphered as the stub deciphers it; inspect and verify read them back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "pack/Description.h"

namespace lorent::pack {

struct StoredSetting {
  std::string key;
  std::string stored;  // as written after "=": Base64 text, or empty
};

// The file as the stub reads it: single-byte text, CR LF, one section.
std::string SettingsFileText(const std::string& section, const std::vector<StoredSetting>& values);

// Reads a settings file in the plain form above (blank lines, ";" comments and
// white space around names and values are tolerated). False when there is no
// section line.
bool ParseSettingsFile(const std::string& bytes, std::string& section, std::vector<StoredSetting>& values);

// The key text of a file: its MD5 digest as 32 upper-case hexadecimal digits.
// False when it cannot be read.
bool FileKeyText(const std::filesystem::path& file, std::string& keyText);

// One plain value (UTF-8) to its stored text. Refuses, with the reason in
// `problem`, a value holding a NUL, one the code page cannot represent, and
// one whose stored text would be longer than the readers' 127 characters.
bool EncipherSetting(const uint8_t key[16], const std::string& plain, uint32_t codePage, std::string& stored,
                     std::string& problem);

// Makes the settings files of the description: enciphered with the key of the
// marker group's UpdateModuleSetup.exe, enc_data filled with the digest of the
// packaged setup (ExecuteFileName) unless given. Puts them, with the setup
// launcher, at the head of the marker group (the stub reads them at the first
// ordinary file); the cabinet stays last. False with a message naming the file, key and
// line on any value the stub could not read back.
bool PrepareSettings(PackageDescription& description, std::string& error);

// Prints the deciphered settings of an installer. Returns 0 when they could
// be shown, 1 otherwise.
int InspectSettings(const std::filesystem::path& installer, uint32_t codePage, std::ostream& out,
                    std::ostream& err);

// Checks that every value of the installer's settings files deciphers and
// enciphers back to the same stored text, is text in the code page, and fits
// the readers; and that enc_data is the digest of the packaged setup (taken
// from the package, or from `setupFile` when that is given). Returns 0 when
// everything holds, 1 otherwise (each problem is printed to `err`).
int VerifyPackage(const std::filesystem::path& installer, uint32_t codePage, const std::filesystem::path& setupFile,
                  std::ostream& out, std::ostream& err);

}  // namespace lorent::pack
