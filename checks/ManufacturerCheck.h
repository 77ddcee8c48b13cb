// Whether this computer was made by ZEKA Corporation, asked through WMI
// (Win32_ComputerSystem.Manufacturer). The query runs on a thread of its own;
// a definite answer is remembered for the rest of the process.
#pragma once

#include <windows.h>

struct IWbemServices;

namespace lorent {

// True when the computer's maker is "ZEKA Corporation" (trailing spaces of
// the reported name ignored). Blocks until the answer is known or the query
// has failed; every failure gives false, and only a definite answer is kept.
bool CheckManufacturer();

// The query thread: leaves its outcome in the process-wide answer cells.
DWORD WINAPI ManufacturerQueryThread(LPVOID);

// Reads the maker through a WMI connection: 0 when it matches, a positive
// status for a definite mismatch, a failure code when the query failed.
HRESULT QueryManufacturer(IWbemServices* services);

}  // namespace lorent
