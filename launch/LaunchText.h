// The texts of a setup launch: the launcher parameter string and the program
// and arguments cut from a file type's registered open command. Portable.
#pragma once

#include <string>
#include <string_view>

namespace lorent {

// The text from the last "." to the end, "." included; empty without a ".".
std::u16string_view ExtensionOf(std::u16string_view path);

// KIND|PROGRAM[|ARGUMENTS] with trailing spaces removed. KIND is "Yes" for a
// program file; the second "|" comes only with arguments.
std::u16string BuildLauncherParameters(bool programFile, std::u16string_view program,
                                       std::u16string_view arguments);

// The mode parameter and the command line joined, each followed by one space
// when it is not empty.
std::u16string BuildParameterString(std::u16string_view modeParameter, std::u16string_view commandLine);

// Cuts a registered open command at its "%1" placeholder. Returns false when
// nothing usable is left (no placeholder, or only text after it); the caller
// then starts the file itself. Otherwise `program` is replaced and `arguments`
// appended to (no "/" switch) or replaced (the switches and the quoted path).
bool CutOpenCommand(std::u16string_view command, std::u16string_view path, std::u16string& program,
                    std::u16string& arguments);

}  // namespace lorent
