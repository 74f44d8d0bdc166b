// Included first in every source of the host's Windows build. The host keeps its own Win32
// subset there too; its definitions take these internal names so they never collide with the
// system libraries the executable itself links. The few the plug-in must reach are put into
// the loaded plug-in's import table under the real names (import_redirects.cpp).
#pragma once

#define QL_WIN32_SUBSET 1

#define CallNextHookEx QlwCallNextHookEx
#define CreateFontA QlwCreateFontA
#define CreateFontIndirectA QlwCreateFontIndirectA
#define CreatePopupMenu QlwCreatePopupMenu
#define CreateSolidBrush QlwCreateSolidBrush
#define DeleteObject QlwDeleteObject
#define DestroyMenu QlwDestroyMenu
#define DrawEdge QlwDrawEdge
#define DrawTextA QlwDrawTextA
#define FillRect QlwFillRect
#define GetAsyncKeyState QlwGetAsyncKeyState
#define GetCurrentThreadId QlwGetCurrentThreadId
#define GetCursorPos QlwGetCursorPos
#define GetDC QlwGetDC
#define GetDlgItem QlwGetDlgItem
#define GetFocus QlwGetFocus
#define GetGlyphOutlineA QlwGetGlyphOutlineA
#define GetKeyboardState QlwGetKeyboardState
#define GetParent QlwGetParent
#define GetStockObject QlwGetStockObject
#define GetSysColor QlwGetSysColor
#define GetTickCount QlwGetTickCount
#define InsertMenuItemA QlwInsertMenuItemA
#define InvalidateRect QlwInvalidateRect
#define LoadCursorA QlwLoadCursorA
#define PostMessageA QlwPostMessageA
#define ReleaseDC QlwReleaseDC
#define RestoreDC QlwRestoreDC
#define SaveDC QlwSaveDC
#define SelectObject QlwSelectObject
#define SetBkColor QlwSetBkColor
#define SetCursor QlwSetCursor
#define SetFocus QlwSetFocus
#define SetWindowsHookExA QlwSetWindowsHookExA
#define ShellExecuteA QlwShellExecuteA
#define ShowWindow QlwShowWindow
#define ToAscii QlwToAscii
#define TrackPopupMenuEx QlwTrackPopupMenuEx
#define UnhookWindowsHookEx QlwUnhookWindowsHookEx
