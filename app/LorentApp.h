// The stub's application object.
#pragma once

#include "app/RunState.h"
#include "framework/WinApp.h"

namespace lorent {

class CLorentApp : public CWinApp {
 public:
  // Start-up: common controls, the command line, the operating-system gate,
  // the compatibility mark, the show-UI flag, and the progress window as a
  // modal dialog, inside which the whole run takes place. Always false.
  BOOL InitInstance() override;
  // The setup exit code, which becomes the process exit code.
  int ExitInstance() override;
};

// Marks an executable whose name holds "setup" or "install" for the Program
// Compatibility Assistant, so that it does not ask whether the installer ran
// correctly. Failures are ignored.
void MarkForCompatibilityAssistant();

}  // namespace lorent
