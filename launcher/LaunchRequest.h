// The launcher parameter string that the stub hands UpdateModuleSetup.exe:
//
//   KIND|PROGRAM[|ARGUMENTS]
//
// KIND is "Yes" when PROGRAM is a program file (.exe) and "No" otherwise.
// PROGRAM is a path without quotes (it may hold spaces), or a quoted path
// followed by arguments of its own (a file type's registered open command).
// ARGUMENTS, when present, is everything after the second "|", taken as is.
// Portable: no Windows API.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lorent::launcher {

struct LaunchRequest {
  bool programFile = false;   // KIND was "Yes"
  std::u16string program;     // the program text as given
  std::u16string arguments;   // the text after the second "|"
};

// The parameter string: the command line less the launcher's own name (quoted
// or not) and the blanks after it.
std::u16string_view ParameterString(std::u16string_view commandLine);

// Parses a parameter string; nullopt when it is malformed: no "|", a kind
// other than "Yes" or "No", or an empty program.
std::optional<LaunchRequest> ParseLaunchRequest(std::u16string_view parameters);

// Splits PROGRAM into the file to start and the arguments that come with it:
// a quoted path gives the path and the rest (leading blanks dropped); an
// unquoted one is the path as a whole. nullopt for an unclosed quote.
struct ProgramParts {
  std::u16string path;
  std::u16string arguments;
};
std::optional<ProgramParts> SplitProgram(std::u16string_view program);

// The command line for the target: the quoted path, then the program's own
// arguments, then the request's arguments, separated by single spaces.
std::u16string TargetCommandLine(const ProgramParts& parts, std::u16string_view arguments);

}  // namespace lorent::launcher
