// A file held open for the rest of the run and hashed once.
//
// The file is opened for reading with read sharing only: while it is held,
// nobody can open it for writing, rename it or delete it, so the digest taken
// through the held handle stays the digest of what is on disk. Other readers,
// and starting the file as a program, still work.
//
// The setup launcher is held from the first setting value that needs its
// digest until the run's end; the same mechanism serves any other file whose
// digest must still hold when it is used later (the packaged setup between its
// digest test and its launch). Release() before the run's folder is removed.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handle.h"

namespace lorent {

class CHeldFile {
 public:
  CHeldFile() = default;
  CHeldFile(const CHeldFile&) = delete;
  CHeldFile& operator=(const CHeldFile&) = delete;

  // The digest text of `path` (32 upper-case hexadecimal digits). The first
  // call opens and holds the file and hashes it; later calls for the same path
  // return the digest at once. Empty when the file cannot be opened with the
  // sharing above (someone is writing it or holds it without read sharing) or
  // a read fails; nothing is held then, so a later call tries again. A call
  // for another path releases the file held before.
  const std::wstring& DigestText(const std::wstring& path);

  bool IsHeld() const { return m_file.Valid(); }
  const std::wstring& Path() const { return m_strPath; }
  HANDLE Handle() const { return m_file.Get(); }

  void Release();

 private:
  UniqueFile m_file;
  std::wstring m_strPath;
  std::wstring m_strDigest;
};

// The digest text of an open file's whole content, read from its start
// through `file`. False when a read fails.
bool DigestOpenFile(HANDLE file, std::wstring& text);

}  // namespace lorent
