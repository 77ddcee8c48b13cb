#include "pack/Settings.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "framework/Utf.h"
#include "pack/FileSource.h"
#include "package/PackageFormat.h"
#include "settings/Md5.h"
#include "settings/ValueCipher.h"

namespace lorent::pack {

namespace fs = std::filesystem;

namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool EqualsNoCaseAscii(const std::string& a, const std::string& b) {
  return package::EqualsNoCase(std::u16string(a.begin(), a.end()), std::u16string(b.begin(), b.end()));
}

std::string Name(std::u16string_view name) { return Utf16ToUtf8Lossy(name); }

std::string DigestOf(CMD5Checksum& md5) {
  uint8_t digest[16];
  md5.Final(digest);
  return CMD5Checksum::DigestText(digest);
}

// The packaged setup that ExecuteFileName names: a [files] entry, or
// "GROUP\name" for an entry of another group. Null when it is neither.
const FileSpec* FindSetupEntry(const PackageDescription& description, const std::string& executeFileName) {
  const std::u16string name = Utf8ToUtf16(executeFileName).value_or(std::u16string());
  const size_t slash = name.find(u'\\');
  for (const auto& group : description.groups) {
    const bool marker = package::IsMarkerGroup(group.name);
    if (marker != (slash == std::u16string::npos)) continue;
    if (!marker && !package::EqualsNoCase(group.name, name.substr(0, slash))) continue;
    const std::u16string entry = marker ? name : name.substr(slash + 1);
    for (const auto& file : group.files)
      if (!file.generated && package::EqualsNoCase(file.name, entry)) return &file;
  }
  return nullptr;
}

bool IsHexDigest(const std::string& text) {
  return text.size() == 32 && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// Control characters other than tab: no text value holds them, so a value
// that deciphers to one was made with another key.
bool HasControlCharacter(const std::string& bytes) {
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && b != '\t') || b == 0x7F) return true;
  }
  return false;
}

std::string Escaped(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      text += c;
    } else {
      text += "\\x";
      text += kHex[b >> 4];
      text += kHex[b & 15];
    }
  }
  return text;
}

// The marker group's files of a bound installer, read into memory (all but
// the cabinet, which the settings never need).
struct PackagedFiles {
  std::map<std::u16string, std::string> marker;  // entry name -> bytes
  std::map<std::u16string, std::string> setupDigests;  // "name" or "GROUP\name" -> digest text
  bool whole = false;
};

bool ReadInstaller(const fs::path& installer, PackagedFiles& files, std::ostream& err) {
  FileSource source(installer);
  if (!source.IsOpen()) {
    err << "lorent-pack: cannot read " << PathToUtf8(installer) << "\n";
    return false;
  }
  package::PackageTable table;
  const package::PackageInfo info = package::ReadPackage(source, table);
  if (info.status == package::PackageStatus::Absent) {
    err << "lorent-pack: " << PathToUtf8(installer) << " carries no package\n";
    return false;
  }
  files.whole = info.status == package::PackageStatus::Complete;
  std::vector<char> block(1 << 20);
  for (const auto& placed : package::PlaceEntries(table, info.dataOffset)) {
    if (package::IsCabinetEntry(placed.entry->name)) continue;
    const bool marker = package::IsMarkerGroup(*placed.group);
    // Settings files are kept whole (they are small); every entry is hashed,
    // since any of them may be the packaged setup.
    const bool keep = marker && placed.entry->size <= (1u << 20);
    std::string bytes;
    CMD5Checksum md5;
    uint64_t left = placed.entry->size;
    uint64_t at = placed.offset;
    while (left > 0) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
      const size_t got = source.ReadAt(at, block.data(), want);
      if (got != want) {
        err << "lorent-pack: cannot read entry \"" << Name(placed.entry->name) << "\"\n";
        return false;
      }
      md5.Update(block.data(), got);
      if (keep) bytes.append(block.data(), got);
      left -= got;
      at += got;
    }
    const std::u16string key = marker ? placed.entry->name : *placed.group + u"\\" + placed.entry->name;
    files.setupDigests[key] = DigestOf(md5);
    if (keep) files.marker[placed.entry->name] = bytes;
  }
  return true;
}

const std::string* FindNoCase(const std::map<std::u16string, std::string>& map, std::u16string_view name) {
  for (const auto& [key, value] : map)
    if (package::EqualsNoCase(key, name)) return &value;
  return nullptr;
}

}  // namespace

std::string SettingsFileText(const std::string& section, const std::vector<StoredSetting>& values) {
  std::string text = "[" + section + "]\r\n";
  for (const auto& value : values) text += value.key + "=" + value.stored + "\r\n";
  return text;
}

bool ParseSettingsFile(const std::string& bytes, std::string& section, std::vector<StoredSetting>& values) {
  section.clear();
  values.clear();
  std::istringstream lines(bytes);
  std::string raw;
  bool inSection = false;
  while (std::getline(lines, raw)) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[') {
      if (inSection) break;  // the stub reads the first section only
      const size_t close = line.find(']');
      section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      inSection = true;
      continue;
    }
    if (!inSection) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    values.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
  }
  return inSection;
}

bool FileKeyText(const fs::path& file, std::string& keyText) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  CMD5Checksum md5;
  std::vector<char> block(1 << 20);
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    md5.Update(block.data(), static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return false;
  keyText = DigestOf(md5);
  return true;
}

bool EncipherSetting(const uint8_t key[16], const std::string& plain, uint32_t codePage, std::string& stored,
                     std::string& problem) {
  if (plain.find('\0') != std::string::npos) {
    problem = "holds a NUL character, where the stub's text ends";
    return false;
  }
  if (HasControlCharacter(plain)) {
    problem = "holds a control character";
    return false;
  }
  std::string bytes;
  if (!ToCodePage(plain, codePage, bytes, problem)) return false;
  if (bytes.size() > kMaxPlainBytes) {
    problem = "is " + std::to_string(bytes.size()) + " bytes in code page " + CodePageName(codePage) + "; at most " +
              std::to_string(kMaxPlainBytes) + " fit the stub's reader (127 characters once enciphered)";
    return false;
  }
  stored = EncipherPlainText(key, bytes);
  return true;
}

bool PrepareSettings(PackageDescription& description, std::string& error) {
  auto& marker = description.groups.at(0).files;
  const FileSpec* launcher = nullptr;
  for (const auto& file : marker)
    if (package::EqualsNoCase(file.name, package::kSetupLauncher)) launcher = &file;
  if (!launcher) {
    error = "the package has no UpdateModuleSetup.exe under [files]: the stub needs the setup launcher to run the "
            "package and to decipher the settings";
    return false;
  }
  if (description.settings.empty()) return true;
  std::string keyText;
  if (!FileKeyText(launcher->source, keyText)) {
    error = "cannot read " + PathToUtf8(launcher->source) + " (entry \"UpdateModuleSetup.exe\")";
    return false;
  }
  uint8_t key[16];
  KeyFromKeyText(keyText, key);

  std::vector<FileSpec> made;
  for (const auto& file : description.settings) {
    const std::string fileName = Name(file.name);
    std::vector<SettingSpec> values = file.values;
    if (file.section == "ParamOption") {
      const SettingSpec* execute = nullptr;
      const SettingSpec* encData = nullptr;
      for (const auto& value : values) {
        if (EqualsNoCaseAscii(value.key, "ExecuteFileName")) execute = &value;
        if (EqualsNoCaseAscii(value.key, "enc_data")) encData = &value;
      }
      if (encData && !IsHexDigest(encData->value)) {
        error = "[" + fileName + "] enc_data (line " + std::to_string(encData->line) +
                ") must be 32 hexadecimal digits, the MD5 digest of the packaged setup";
        return false;
      }
      if (execute && !encData && !execute->value.empty()) {
        std::string digest;
        const FileSpec* setup = FindSetupEntry(description, execute->value);
        const fs::path source = !description.setup.empty() ? description.setup : setup ? setup->source : fs::path();
        if (source.empty()) {
          error = "[" + fileName + "] enc_data: the packaged setup \"" + execute->value +
                  "\" (ExecuteFileName, line " + std::to_string(execute->line) +
                  ") is not a file of the package; when it comes in the cabinet, give enc_data = its MD5 digest "
                  "or setup = its file";
          return false;
        }
        if (!FileKeyText(source, digest)) {
          error = "cannot read the packaged setup " + PathToUtf8(source) + " for enc_data";
          return false;
        }
        values.push_back({"enc_data", digest, execute->line});
      }
    }
    std::vector<StoredSetting> stored;
    for (const auto& value : values) {
      std::string text;
      std::string problem;
      if (!EncipherSetting(key, value.value, description.codePage, text, problem)) {
        error = "[" + fileName + "] " + value.key + " (line " + std::to_string(value.line) + ") " + problem;
        return false;
      }
      stored.push_back({value.key, text});
    }
    FileSpec spec;
    spec.name = file.name;
    spec.line = file.line;
    spec.generated = true;
    spec.content = SettingsFileText(file.section, stored);
    made.push_back(spec);
  }
  // The settings files and the setup launcher (whose digest deciphers them)
  // lead the marker group: the stub reads ExtractPathByUser and UseZEKACheck
  // from disk at the first ordinary file as well as at the cabinet, which
  // stays the group's last entry.
  marker.insert(marker.begin(), made.begin(), made.end());
  std::stable_partition(marker.begin(), marker.end(), [](const FileSpec& file) {
    return package::EqualsNoCase(file.name, package::kSetupLauncher) ||
           package::EqualsNoCase(file.name, package::kAssistFile) ||
           package::EqualsNoCase(file.name, package::kMessageSetting);
  });
  return true;
}

namespace {

struct SettingsCheck {
  int problems = 0;
  std::map<std::string, std::string> plain;  // ParamOption values, deciphered
};

// Deciphers and prints (or checks) one settings file.
void ReadSettingsFile(const std::u16string& name, const std::string& bytes, const char* expectedSection,
                      const uint8_t key[16], uint32_t codePage, bool verify, std::ostream& out, std::ostream& err,
                      SettingsCheck& check) {
  const std::string fileName = Name(name);
  std::string section;
  std::vector<StoredSetting> values;
  auto problem = [&](const std::string& text) {
    err << "lorent-pack: " << fileName << ": " << text << "\n";
    ++check.problems;
  };
  if (!ParseSettingsFile(bytes, section, values)) {
    problem("no section line");
    return;
  }
  out << "\n" << fileName << " [" << section << "]\n";
  if (section != expectedSection) problem(std::string("the section is [") + section + "], the stub reads [" + expectedSection + "]");
  for (const auto& value : values) {
    std::string plain;
    std::string text;
    std::string why;
    if (value.stored.size() > kMaxStoredLength) {
      why = "stored text of " + std::to_string(value.stored.size()) + " characters: the reader keeps 127";
    } else if (!value.stored.empty() && !DecipherStoredText(key, value.stored, plain)) {
      why = "does not decipher (not Base64 of 16 or more bytes)";
    } else if (EncipherPlainText(key, plain) != value.stored) {
      why = "does not round-trip: it deciphers to \"" + Escaped(plain) +
            "\", which enciphers to other text (enciphered for another setup launcher?)";
    } else if (!FromCodePage(plain, codePage, text) || HasControlCharacter(plain)) {
      why = "deciphers to \"" + Escaped(plain) + "\", which is not text in code page " + CodePageName(codePage);
    }
    if (why.empty()) {
      out << "  " << value.key << " = \"" << text << "\"\n";
      if (section == "ParamOption") check.plain[value.key] = text;
    } else {
      out << "  " << value.key << " = (" << why << ")\n";
      if (verify) problem(value.key + " " + why);
    }
  }
}

int ReadSettings(const fs::path& installer, uint32_t codePage, const fs::path& setupFile, bool verify,
                 std::ostream& out, std::ostream& err) {
  PackagedFiles files;
  if (!ReadInstaller(installer, files, err)) return 1;
  int problems = 0;
  if (!files.whole) {
    err << "lorent-pack: the package is damaged: its table or data run past the end of the file\n";
    ++problems;
  }
  const std::string* launcherDigest = FindNoCase(files.setupDigests, package::kSetupLauncher);
  if (!launcherDigest) {
    (verify ? err : out) << (verify ? "lorent-pack: " : "settings      ")
                         << "the package has no UpdateModuleSetup.exe: the stub can neither run it nor decipher "
                            "its settings\n";
    return verify ? 1 : 0;
  }
  uint8_t key[16];
  KeyFromKeyText(*launcherDigest, key);
  out << "settings      key text " << *launcherDigest << " (UpdateModuleSetup.exe), code page "
      << CodePageName(codePage) << "\n";

  SettingsCheck check;
  const struct {
    std::u16string_view name;
    const char* section;
  } kFiles[] = {{package::kAssistFile, "ParamOption"}, {package::kMessageSetting, "Setting"}};
  for (const auto& file : kFiles) {
    const std::string* bytes = FindNoCase(files.marker, file.name);
    if (!bytes) {
      out << "\n" << Name(file.name) << ": not in the package\n";
      if (verify && file.name == package::kAssistFile) {
        err << "lorent-pack: the package has no AssistFile.ini: the stub launches nothing\n";
        ++problems;
      }
      continue;
    }
    ReadSettingsFile(std::u16string(file.name), *bytes, file.section, key, codePage, verify, out, err, check);
  }
  problems += check.problems;
  if (!verify) return 0;

  // enc_data against the packaged setup, as the run sequence compares them.
  std::string execute, encData;
  bool haveExecute = false, haveEncData = false;
  for (const auto& [name, value] : check.plain) {
    if (EqualsNoCaseAscii(name, "ExecuteFileName")) execute = value, haveExecute = true;
    if (EqualsNoCaseAscii(name, "enc_data")) encData = value, haveEncData = true;
  }
  if (haveExecute && !execute.empty()) {
    std::string digest;
    if (!setupFile.empty()) {
      if (!FileKeyText(setupFile, digest)) {
        err << "lorent-pack: cannot read " << PathToUtf8(setupFile) << "\n";
        return 1;
      }
    } else if (const std::string* found = FindNoCase(files.setupDigests, Utf8ToUtf16(execute).value_or(u""))) {
      digest = *found;
    }
    if (digest.empty()) {
      err << "lorent-pack: enc_data cannot be checked: the packaged setup \"" << execute
          << "\" is not an entry of the package (inside the cabinet?); give it with --setup FILE\n";
      ++problems;
    } else if (!haveEncData) {
      err << "lorent-pack: AssistFile.ini has no enc_data: the stub would refuse the packaged setup\n";
      ++problems;
    } else if (!EqualsNoCaseAscii(encData, digest)) {
      err << "lorent-pack: enc_data " << encData << " is not the digest of the packaged setup \"" << execute
          << "\" (" << digest << "): the stub would stop with error 1001\n";
      ++problems;
    } else {
      out << "\nenc_data matches the packaged setup \"" << execute << "\"\n";
    }
  }
  if (problems > 0) {
    err << "lorent-pack: " << problems << " problem(s) found\n";
    return 1;
  }
  out << "verified: every value round-trips\n";
  return 0;
}

}  // namespace

int InspectSettings(const fs::path& installer, uint32_t codePage, std::ostream& out, std::ostream& err) {
  return ReadSettings(installer, codePage, {}, false, out, err);
}

int VerifyPackage(const fs::path& installer, uint32_t codePage, const fs::path& setupFile, std::ostream& out,
                  std::ostream& err) {
  return ReadSettings(installer, codePage, setupFile, true, out, err);
}

}  // namespace lorent::pack
