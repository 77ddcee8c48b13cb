// lorent-pack: builds bound installers from a stub and a package description,
// inspects them, and verifies their settings.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "framework/Utf.h"
#include "pack/Builder.h"
#include "pack/Description.h"
#include "pack/Inspect.h"
#include "pack/Settings.h"

namespace {

constexpr const char* kUsage =
    "usage: lorent-pack build DESCRIPTION [--stub FILE] [--output FILE] [--codepage CP] [-D NAME=VALUE]...\n"
    "       lorent-pack inspect INSTALLER [--codepage CP]\n"
    "       lorent-pack verify INSTALLER [--codepage CP] [--setup FILE]\n"
    "\n"
    "build    binds the files of a package description to a stub, and writes the\n"
    "         settings files from its [AssistFile.ini] and [MessageSetting.ini]\n"
    "         sections, every value enciphered with the key of the packaged\n"
    "         UpdateModuleSetup.exe (which every package needs); enc_data is the\n"
    "         digest of the packaged setup (ExecuteFileName) unless given\n"
    "         --stub FILE, --output FILE   override the description's stub and output\n"
    "         -D NAME=VALUE                value of ${NAME} in the description\n"
    "inspect  prints the groups, entries, sizes and data offsets of an installer,\n"
    "         and its deciphered settings\n"
    "verify   checks that every setting value deciphers and enciphers back to the\n"
    "         same text, fits the stub's reader and is text in the code page, and\n"
    "         that enc_data is the digest of the packaged setup; exits 1 otherwise\n"
    "         --setup FILE   the packaged setup's own file, when it is in the cabinet\n"
    "\n"
    "--codepage CP   code page of the setting values: \"ascii\" (the default; reads\n"
    "                the same under every ANSI code page) or a number such as 932 or\n"
    "                1252 (values read correctly only where that is the ANSI code\n"
    "                page); overrides \"codepage\" of the description\n";

bool CodePageOption(const std::string& text, uint32_t& codePage) {
  return lorent::pack::ParseCodePage(text, codePage);
}

int Usage(const std::string& problem) {
  std::cerr << "lorent-pack: " << problem << "\n\n" << kUsage;
  return 2;
}

int Build(const std::vector<std::string>& args) {
  std::string descriptionFile;
  std::string stub;
  std::string output;
  std::string codePage;
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
    } else if (arg == "--codepage") {
      if (!next(codePage)) return Usage("--codepage needs ascii or a code page number");
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
  if (!codePage.empty() && !CodePageOption(codePage, description.codePage))
    return Usage("--codepage needs ascii or a code page number, not " + codePage);

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
  if (command == "inspect" || command == "verify") {
    std::string installer;
    std::string setup;
    uint32_t codePage = lorent::pack::kAsciiCodePage;
    for (size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] == "--codepage") {
        if (i + 1 >= rest.size() || !CodePageOption(rest[i + 1], codePage))
          return Usage("--codepage needs ascii or a code page number");
        ++i;
      } else if (rest[i] == "--setup" && command == "verify") {
        if (i + 1 >= rest.size()) return Usage("--setup needs a file");
        setup = rest[++i];
      } else if (!rest[i].empty() && rest[i][0] == '-') {
        return Usage("unknown option " + rest[i]);
      } else if (installer.empty()) {
        installer = rest[i];
      } else {
        return Usage(command + " needs one installer");
      }
    }
    if (installer.empty()) return Usage(command + " needs an installer");
    const auto path = lorent::pack::PathFromUtf8(installer);
    if (command == "verify")
      return lorent::pack::VerifyPackage(path, codePage, lorent::pack::PathFromUtf8(setup), std::cout, std::cerr);
    const int status = lorent::pack::InspectPackage(path, std::cout, std::cerr);
    if (status != 0) return status;
    std::cout << "\n";
    return lorent::pack::InspectSettings(path, codePage, std::cout, std::cerr);
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
