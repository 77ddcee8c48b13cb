// The stub's entry point.
#include <windows.h>

#include "package/PackageReader.h"
#include "framework/Handle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The run itself (window, worker, launch) builds on this: for now the stub
  // finds its own package and ends.
  const std::wstring self = lorent::GetOwnExecutablePath();
  lorent::UniqueStream file(_wfopen(self.c_str(), L"rb"));
  if (!file) return 0;
  lorent::package::PackageTable table;
  lorent::ReadPackageTable(file.Get(), table);
  return 0;
}
