// Expansion of a cabinet archive through the system's Cabinet.dll (FDI),
// and the folder-chain creation that the extraction shares.
#pragma once

#include <windows.h>
#include <fdi.h>

#include <string>

#include "framework/Handle.h"

namespace lorent {

// One expansion: the cabinet library, its FDI handle and the error record
// (erfOper holds the FDI error number after a failure).
struct CExpansionContext {
  CExpansionContext() = default;
  ~CExpansionContext();
  CExpansionContext(const CExpansionContext&) = delete;
  CExpansionContext& operator=(const CExpansionContext&) = delete;

  UniqueModule hLibrary;
  HFDI hfdi = nullptr;
  ERF erf = {};
  decltype(&::FDICopy) pfnCopy = nullptr;
  decltype(&::FDIDestroy) pfnDestroy = nullptr;
};

// The system directory + "\Cabinet.dll"; the only place the library is loaded from.
std::wstring CabinetLibraryPath();

// Loads the library and creates the FDI handle. On failure the error record
// tells why; the caller prints it with PrintExpansionFailure("FDICreate", ...).
bool CreateExpansionContext(CExpansionContext& context);

// Expands the cabinet file into the target folder, recreating its folders.
// Returns true without expanding when the target folder has fewer than 3
// characters, or the cabinet path's folder part fewer than 2, or its file name
// fewer than 2. A stored name that is absolute, carries a drive or climbs out
// of the target aborts the expansion before anything of it is written. On
// failure the FDICopy line is printed to standard output and false returned.
bool ExpandCabinet(CExpansionContext& context, const std::wstring& cabinetPath, const std::wstring& targetFolder);

// Destroys the FDI handle (when there is one) and releases the library.
void DestroyExpansionContext(CExpansionContext& context);

// Makes the folder and any missing parents: 0 when the folder exists or was
// made, otherwise a system error code (ERROR_INVALID_DRIVE for a path without
// a backslash, ERROR_ALREADY_EXISTS when a file is in the way).
DWORD CreateDirectoryChain(const wchar_t* path);

// The text for an FDI error number.
const char* FdiErrorName(int error);

// Prints "<call> failed with error code <n>: <name>\n" to standard output.
void PrintExpansionFailure(const char* call, const ERF& erf);

}  // namespace lorent
