#include "pack/Description.h"

#include <fstream>
#include <sstream>

#include "framework/Utf.h"
#include "package/PackageFormat.h"

namespace lorent::pack {

namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& text) {
#ifdef _WIN32
  const std::u16string wide = Utf8ToUtf16(text).value_or(std::u16string());
  return fs::path(std::wstring(wide.begin(), wide.end()));
#else
  return fs::path(text);
#endif
}

std::string PathToUtf8(const fs::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  return Utf16ToUtf8Lossy(std::u16string(wide.begin(), wide.end()));
#else
  return path.native();
#endif
}

namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool Substitute(const std::string& value, const std::map<std::string, std::string>& variables, std::string& out,
                std::string& problem) {
  out.clear();
  size_t pos = 0;
  while (pos < value.size()) {
    const size_t open = value.find("${", pos);
    if (open == std::string::npos) {
      out += value.substr(pos);
      break;
    }
    const size_t close = value.find('}', open);
    if (close == std::string::npos) {
      problem = "unterminated \"${\"";
      return false;
    }
    const std::string name = value.substr(open + 2, close - open - 2);
    const auto found = variables.find(name);
    if (found == variables.end()) {
      problem = "no value for ${" + name + "} (give one with -D " + name + "=...)";
      return false;
    }
    out += value.substr(pos, open - pos) + found->second;
    pos = close + 1;
  }
  return true;
}

bool IsKeyName(const std::string& key) {
  for (const char c : key) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                    c == '-' || c == '.';
    if (!ok) return false;
  }
  return !key.empty();
}

bool EqualsNoCaseAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'a' && a[i] <= 'z') ? static_cast<char>(a[i] - 32) : a[i];
    const char y = (b[i] >= 'a' && b[i] <= 'z') ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// The settings sections: description section name, file name, file section.
struct SettingsSection {
  const char* name;
  std::u16string_view file;
  const char* section;
};
const SettingsSection kSettingsSections[] = {
    {"AssistFile.ini", package::kAssistFile, "ParamOption"},
    {"MessageSetting.ini", package::kMessageSetting, "Setting"},
};

}  // namespace

bool ParseDescription(const std::string& text, const fs::path& baseFolder,
                      const std::map<std::string, std::string>& variables, const std::string& fileLabel,
                      PackageDescription& description, std::string& error) {
  description = {};
  description.groups.push_back({std::u16string(package::kMarkerGroup), {}});
  FileSpec cabinet;
  bool haveCabinet = false;
  GroupSpec* current = nullptr;  // null: the top-level keys (or a settings section)
  SettingsFileSpec* settings = nullptr;
  bool inFiles = false;

  std::istringstream lines(text);
  std::string raw;
  int lineNumber = 0;
  auto fail = [&](const std::string& why) {
    error = fileLabel + ":" + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  auto resolve = [&](const std::string& value) {
    fs::path path = PathFromUtf8(value);
    return path.is_absolute() ? path : baseFolder / path;
  };

  while (std::getline(lines, raw)) {
    ++lineNumber;
    if (lineNumber == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (!Utf8ToUtf16(line)) return fail("not valid UTF-8");

    if (line.front() == '[') {
      if (line.back() != ']') return fail("a section line must end with \"]\"");
      const std::string section = Trim(line.substr(1, line.size() - 2));
      settings = nullptr;
      bool isSettings = false;
      for (const auto& known : kSettingsSections) {
        if (!EqualsNoCaseAscii(section, known.name)) continue;
        for (const auto& given : description.settings)
          if (given.name == known.file) return fail("[" + section + "] is given twice");
        description.settings.push_back({std::u16string(known.file), known.section, {}, lineNumber});
        settings = &description.settings.back();
        current = nullptr;
        inFiles = false;
        isSettings = true;
      }
      if (isSettings) continue;
      if (section == "files") {
        if (inFiles || !description.groups[0].files.empty()) return fail("[files] is given twice");
        current = &description.groups[0];
        inFiles = true;
        continue;
      }
      if (section.rfind("group ", 0) == 0) {
        const std::u16string name = *Utf8ToUtf16(Trim(section.substr(6)));
        const std::string problem = package::CheckName(name);
        if (!problem.empty()) return fail("group name \"" + Trim(section.substr(6)) + "\" " + problem);
        if (package::IsMarkerGroup(name)) return fail("list the marker group's files under [files]");
        if (name.find(package::kCabinetEntry) != std::u16string::npos)
          return fail("a group name may not contain the cabinet entry's name");
        for (const auto& group : description.groups) {
          if (package::EqualsNoCase(group.name, name))
            return fail("group \"" + Trim(section.substr(6)) + "\" is given twice (group folders ignore case)");
        }
        description.groups.push_back({name, {}});
        current = &description.groups.back();
        inFiles = false;
        continue;
      }
      return fail("unknown section [" + section +
                  "] (expected [files], [group NAME], [AssistFile.ini] or [MessageSetting.ini])");
    }

    const size_t equals = line.find('=');
    if (equals == std::string::npos) return fail("expected NAME = VALUE");
    const std::string key = Trim(line.substr(0, equals));
    std::string value;
    std::string problem;
    if (!Substitute(Trim(line.substr(equals + 1)), variables, value, problem)) return fail(problem);
    if (key.empty()) return fail("a name is missing before \"=\"");

    if (settings) {
      if (!IsKeyName(key)) return fail("setting name \"" + key + "\" may hold only letters, digits, _ - and .");
      for (const auto& given : settings->values)
        if (EqualsNoCaseAscii(given.key, key))
          return fail("setting \"" + key + "\" is given twice (setting names ignore case)");
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      settings->values.push_back({key, value, lineNumber});
      continue;
    }

    if (!current) {
      if (value.empty()) return fail("\"" + key + "\" has no value");
      if (key == "stub") {
        description.stub = resolve(value);
      } else if (key == "output") {
        description.output = resolve(value);
      } else if (key == "setup") {
        description.setup = resolve(value);
      } else if (key == "codepage") {
        if (!ParseCodePage(value, description.codePage))
          return fail("codepage must be \"ascii\" or a code page number, not \"" + value + "\"");
      } else {
        return fail("unknown setting \"" + key + "\" (expected stub, output, codepage or setup, or a section)");
      }
      continue;
    }

    if (value.empty()) return fail("entry \"" + key + "\" names no file");
    const std::u16string name = *Utf8ToUtf16(key);
    if (key == "cabinet") {
      if (!inFiles) return fail("the cabinet belongs in [files]");
      if (haveCabinet) return fail("only one cabinet can be bound");
      cabinet = {std::u16string(package::kCabinetEntry), resolve(value), lineNumber, false, {}};
      haveCabinet = true;
      continue;
    }
    problem = package::CheckName(name);
    if (!problem.empty()) return fail("entry name \"" + key + "\" " + problem);
    if (package::IsCabinetEntry(name)) return fail("give the cabinet as \"cabinet = FILE\"");
    if (name.find(package::kCabinetEntry) != std::u16string::npos)
      return fail("an entry name may not contain the cabinet entry's name");
    for (const auto& file : current->files) {
      if (package::EqualsNoCase(file.name, name))
        return fail("entry \"" + key + "\" is given twice in this group (file names ignore case)");
    }
    current->files.push_back({name, resolve(value), lineNumber, false, {}});
  }
  for (const auto& made : description.settings) {
    for (const auto& file : description.groups[0].files) {
      if (package::EqualsNoCase(file.name, made.name)) {
        lineNumber = file.line;
        return fail("\"" + Utf16ToUtf8Lossy(made.name) + "\" is listed as a file and also given as [" +
                    Utf16ToUtf8Lossy(made.name) + "] (line " + std::to_string(made.line) + "): give one of them");
      }
    }
  }
  if (haveCabinet) description.groups[0].files.push_back(cabinet);
  if (description.groups[0].files.empty()) {
    error = fileLabel + ": no files under [files]: without them the stub extracts nothing";
    return false;
  }
  return true;
}

bool LoadDescription(const fs::path& file, const std::map<std::string, std::string>& variables,
                     PackageDescription& description, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read the package description " + PathToUtf8(file);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  return ParseDescription(text.str(), folder, variables, PathToUtf8(file), description, error);
}

}  // namespace lorent::pack
