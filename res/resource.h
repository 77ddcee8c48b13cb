// Resource identifiers of the stub.
#pragma once

#define IDR_MAINFRAME 128  // the program's icon
#define IDD_LORENT_DIALOG 102
#define IDD_MESSAGE_BOX 129

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
