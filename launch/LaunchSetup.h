// Starting the setup launcher and finding a file type's open command.
#pragma once

#include <string>

#include "app/RunState.h"

namespace lorent {

// Starts UpdateModuleSetup.exe from the working folder with the launcher
// parameter string for `target` and `parameters`, waits for it and records its
// exit code as the setup exit code. Returns whether it was started.
bool LaunchSetup(CWorkerContext* context, std::wstring target, std::wstring parameters);

// The program and arguments of the open command registered for `path`'s file
// type; without a usable registration the program is the path itself and the
// arguments stay as they are.
void LookUpOpenCommand(const std::wstring& path, std::wstring& program, std::wstring& arguments);

}  // namespace lorent
