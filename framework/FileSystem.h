// Small questions about files and folders.
#pragma once

#include <windows.h>

#include <string>

namespace lorent {

// True when a file or folder of that path exists.
inline bool PathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace lorent
