// Resource identifiers of the stub.
#pragma once

#define IDR_MAINFRAME 128  // the program's icon
#define IDD_LORENT_DIALOG 102
#define IDD_MESSAGE_BOX 129

#define IDC_PROGRESS 1007  // the progress window's bar

// Controls of the message box (dialog 129).
#define IDC_MSG_LEFT_BUTTON 1000   // left of two buttons; hidden in a box with one
#define IDC_MSG_RIGHT_BUTTON 1001  // right-hand button; always shown
#define IDC_MSG_TEXT 1002          // the message
#define IDC_MSG_CHECK 1003         // never shown

// String table (English 1033 and Japanese 1041).
#define IDS_ABOUTBOX 101
#define IDS_FONT_FACE 102           // message box font face
#define IDS_AGENT_NAME 103
#define IDS_OK 104
#define IDS_CANCEL 105
#define IDS_EXTRACTING 106
#define IDS_CANNOT_EXTRACT 107
#define IDS_NOT_MAKER_COMPUTER 108
#define IDS_DISK_SPACE 109          // %s: the drive
#define IDS_UNSUPPORTED_OS 110
#define IDS_NOT_ADMINISTRATOR 111
#define IDS_FONT_FACE_XP 112        // message box font face on version 5.1
#define IDS_SETUP_SUCCEEDED 130
#define IDS_SETUP_FAILED 131
#define IDS_ERROR_CODE_1001 1008
#define IDS_ERROR_CODE_1002 1009
#define IDS_ERROR_CODE_1003 1010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
