// Removal of the staging folder and of a run's working folder.
//
// Neither routine follows a junction or symbolic link: a link is removed as a
// link, and what it points to is left alone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lorent {

// How long a retried deletion waits before its next attempt.
constexpr DWORD kRemovalRetryPauseMs = 10000;

// Waits between attempts; the routines call it with kRemovalRetryPauseMs.
using RemovalPause = void (*)(DWORD milliseconds);
void SleepBeforeRetry(DWORD milliseconds);

// Deletes the folder's files and subfolders itself, then the folder. With
// `retry`, a file that cannot be deleted is tried three times in all, with a
// pause before the second and the third attempt. File attributes are never
// changed, so a read-only file stays, and so do its folders. Returns true when
// the folder itself was removed.
bool RemoveFolderTree(const std::wstring& folder, bool retry, RemovalPause pause = SleepBeforeRetry);

// Deletes the entries inside the folder (never the folder itself, and never an
// entry with the system attribute) through the shell. With `retry`, a pass in
// which some deletion failed is repeated, up to three passes with a pause
// before each repetition. A folder that is itself a link is left alone.
void DeleteFolderContents(const std::wstring& folder, bool retry, RemovalPause pause = SleepBeforeRetry);

// Appends the names (without the folder) of the folder's entries, except "."
// and ".." and entries with the system attribute.
void ListFolderEntries(const std::wstring& folder, std::vector<std::wstring>& list);

// One pass of the shell's file operation object over the named entries of
// the folder. Returns true when done (also when the pass could not be set
// up), false when some deletion failed and another pass is worth it. Where
// the file operation object is not implemented, the older SHFileOperationW
// deletes the same entries.
bool DeleteEntriesWithShell(const std::wstring& folder, const std::vector<std::wstring>& list);

}  // namespace lorent
