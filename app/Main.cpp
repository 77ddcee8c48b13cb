// The stub's entry point.
#include <windows.h>

#include "app/LorentApp.h"

namespace {
lorent::CLorentApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return theApp.Run(instance, commandLine);
}
