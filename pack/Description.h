// The package description: what a release engineer keeps in version control.
//
//   # a comment line
//   stub   = path/to/lorent.exe        # the stub to bind to (--stub overrides)
//   output = out/ProductSetup.exe      # the installer to write (--output overrides)
//
//   [files]                            # the marker group: extracted into the working folder
//   AssistFile.ini        = settings/AssistFile.ini
//   UpdateModuleSetup.exe = ${launcher}
//   cabinet               = product.cab   # the product's cabinet archive
//
//   [group Docs]                       # another group: the subfolder "Docs"
//   readme.txt = docs/readme.txt
//
// The text is UTF-8. "${NAME}" in a value is replaced by the value given with
// -D NAME=VALUE; an unknown name is an error. Relative paths are taken from the
// description's own folder. Entries keep the order in which they are listed,
// except the cabinet, which is always the marker group's last entry, so the
// settings files are on disk before the cabinet is expanded.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace lorent::pack {

struct FileSpec {
  std::u16string name;            // entry name inside the package
  std::filesystem::path source;   // the file whose bytes are bound
  int line = 0;                   // where it was given, for messages
};

struct GroupSpec {
  std::u16string name;            // the marker name for [files]
  std::vector<FileSpec> files;
};

struct PackageDescription {
  std::filesystem::path stub;
  std::filesystem::path output;
  std::vector<GroupSpec> groups;  // [files] first, then the others as listed
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
