// lorent-pack: builds bound installers from a stub and a package description,
// and inspects them.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "framework/Utf.h"
#include "pack/Builder.h"
#include "pack/Description.h"
#include "pack/Inspect.h"

namespace {

constexpr const char* kUsage =
    "usage: lorent-pack build DESCRIPTION [--stub FILE] [--output FILE] [-D NAME=VALUE]...\n"
    "       lorent-pack inspect INSTALLER\n"
    "\n"
    "build    binds the files of a package description to a stub\n"
    "         --stub FILE, --output FILE   override the description's stub and output\n"
    "         -D NAME=VALUE                value of ${NAME} in the description\n"
    "inspect  prints the groups, entries, sizes and data offsets of an installer\n";

int Usage(const std::string& problem) {
  std::cerr << "lorent-pack: " << problem << "\n\n" << kUsage;
  return 2;
}

int Build(const std::vector<std::string>& args) {
  std::string descriptionFile;
  std::string stub;
  std::string output;
  std::map<std::string, std::string> variables;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto next = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (arg == "--stub") {
      if (!next(stub)) return Usage("--stub needs a file");
    } else if (arg == "--output" || arg == "-o") {
      if (!next(output)) return Usage(arg + " needs a file");
    } else if (arg == "-D" || (arg.rfind("-D", 0) == 0 && arg.size() > 2)) {
      std::string definition = arg.size() > 2 ? arg.substr(2) : std::string();
      if (definition.empty() && !next(definition)) return Usage("-D needs NAME=VALUE");
      const size_t equals = definition.find('=');
      if (equals == std::string::npos || equals == 0) return Usage("-D needs NAME=VALUE, not " + definition);
      variables[definition.substr(0, equals)] = definition.substr(equals + 1);
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else if (descriptionFile.empty()) {
      descriptionFile = arg;
    } else {
      return Usage("more than one description given");
    }
  }
  if (descriptionFile.empty()) return Usage("build needs a package description");

  lorent::pack::PackageDescription description;
  std::string error;
  if (!lorent::pack::LoadDescription(lorent::pack::PathFromUtf8(descriptionFile), variables, description, error)) {
    std::cerr << "lorent-pack: " << error << "\n";
    return 1;
  }
  if (!stub.empty()) description.stub = lorent::pack::PathFromUtf8(stub);
  if (!output.empty()) description.output = lorent::pack::PathFromUtf8(output);

  lorent::pack::BuildResult result;
  if (!lorent::pack::BuildPackage(description, result, error)) {
    std::cerr << "lorent-pack: " << error << "\n";
    return 1;
  }
  std::cout << "wrote " << lorent::pack::PathToUtf8(description.output) << ": " << result.entries << " entries in "
            << description.groups.size() << " group(s), package at " << result.packageOffset << ", table "
            << result.tableSize << " bytes, data " << result.dataSize << " bytes, " << result.fileSize
            << " bytes in all\n";
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("no command given");
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "build") return Build(rest);
  if (command == "inspect") {
    if (rest.size() != 1) return Usage("inspect needs one installer");
    return lorent::pack::InspectPackage(lorent::pack::PathFromUtf8(rest[0]), std::cout, std::cerr);
  }
  return Usage("unknown command " + command);
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(lorent::Utf16ToUtf8Lossy(std::u16string(arg.begin(), arg.end())));
  }
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
