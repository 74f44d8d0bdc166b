// Win32 calls on dialog control windows, pop-up menus and the shell.
#include "core/host_api.h"
#include "host/ui/dialog.h"
#include "host/ui/modal.h"

extern "C" HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) { return qlhost::ControlWindowOf(hDlg, nIDDlgItem); }
extern "C" BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) { return qlhost::ShowControlWindow(hWnd, nCmdShow); }
extern "C" BOOL WINAPI InvalidateRect(HWND hWnd, const RECT*, BOOL) { return qlhost::InvalidateControl(hWnd); }

extern "C" HMENU WINAPI CreatePopupMenu(void) { return qlhost::NewPopupMenu(); }
extern "C" BOOL WINAPI DestroyMenu(HMENU hMenu) { return qlhost::DestroyPopupMenu(hMenu); }
extern "C" BOOL WINAPI InsertMenuItemA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA lpmi) {
    return qlhost::InsertPopupItem(hmenu, item, fByPosition, lpmi);
}
extern "C" BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int, int, HWND, void*) {
    return qlhost::TrackPopupMenu(hMenu, uFlags);
}


extern "C" HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR,
                                          int) {
    return qlhost::ShellOpen(lpOperation, lpFile, lpParameters);
}
