// The stub's view of its own bound package.
#pragma once

#include <cstdio>
#include <string>

#include "package/PackageFormat.h"

namespace lorent {

// Full path of the running executable. The buffer grows, so paths of any
// length that the system reports are returned whole; empty on failure.
std::wstring GetOwnExecutablePath();

// Reads the package table from an executable opened for reading ("rb") and
// leaves the stream at the first byte of the data area. Returns whether a
// package was found; `info` (optional) tells whether it was whole.
bool ReadPackageTable(FILE* file, package::PackageTable& table, package::PackageInfo* info = nullptr);

}  // namespace lorent
