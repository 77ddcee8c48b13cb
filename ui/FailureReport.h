// The failure report: "Setup failed." followed by a code text, in a message
// box captioned "Error" with one OK button. Shown modally on the calling
// thread (the worker), which waits until the user has closed it.
#pragma once

#include <windows.h>

namespace lorent {

// `codeTextId`: IDS_ERROR_CODE_1001, _1002 or _1003.
void ShowFailureReport(UINT codeTextId);

}  // namespace lorent
