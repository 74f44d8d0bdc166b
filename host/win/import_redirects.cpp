// The plug-in's Win32 calls that stay the host's (see import_redirects.h). Each is compiled
// from the host's own Win32 subset, renamed by subset_names.h, so &PostMessageA here is the
// host's QlwPostMessageA.
#include "host/win/import_redirects.h"

#include <iterator>

#include "core/win32.h"

namespace qlhost::win {

namespace {

// Why each call is the host's:
// - the emulated dialogs and message boxes exist only in the host: their windows and
//   controls are host handles (focus, parents, items, showing, repainting, posted
//   ESCAPE/ENTER, which must wait in the host's own queue until the plug-in's procedure has
//   returned, as the scenarios' order of prompts and answers depends on it);
// - owner-drawn dialog items get host device contexts, and what is drawn there is recorded
//   for the scenarios' pictures (stock objects, brushes, fonts described by their LOGFONTA,
//   colours, text, edges, saved states); real handles are passed on to GDI;
// - GetTickCount is the scenarios' clock (`wait`, `clock`): the text placement's repeated key
//   shortcuts and the timing checks depend on exact times;
// - ShellExecuteA opens the maker's web page, which a test run records instead of opening.
const ImportRedirect kRedirects[] = {
    {"GDI32.dll", "CreateSolidBrush", reinterpret_cast<void*>(&CreateSolidBrush)},
    {"GDI32.dll", "DeleteObject", reinterpret_cast<void*>(&DeleteObject)},
    {"GDI32.dll", "GetStockObject", reinterpret_cast<void*>(&GetStockObject)},
    {"GDI32.dll", "RestoreDC", reinterpret_cast<void*>(&RestoreDC)},
    {"GDI32.dll", "SaveDC", reinterpret_cast<void*>(&SaveDC)},
    {"GDI32.dll", "SelectObject", reinterpret_cast<void*>(&SelectObject)},
    {"GDI32.dll", "SetBkColor", reinterpret_cast<void*>(&SetBkColor)},
    {"KERNEL32.dll", "GetTickCount", reinterpret_cast<void*>(&GetTickCount)},
    {"SHELL32.dll", "ShellExecuteA", reinterpret_cast<void*>(&ShellExecuteA)},
    {"USER32.dll", "DrawEdge", reinterpret_cast<void*>(&DrawEdge)},
    {"USER32.dll", "DrawTextA", reinterpret_cast<void*>(&DrawTextA)},
    {"USER32.dll", "FillRect", reinterpret_cast<void*>(&FillRect)},
    {"USER32.dll", "GetDlgItem", reinterpret_cast<void*>(&GetDlgItem)},
    {"USER32.dll", "GetFocus", reinterpret_cast<void*>(&GetFocus)},
    {"USER32.dll", "GetParent", reinterpret_cast<void*>(&GetParent)},
    {"USER32.dll", "GetSysColor", reinterpret_cast<void*>(&GetSysColor)},
    {"USER32.dll", "InvalidateRect", reinterpret_cast<void*>(&InvalidateRect)},
    {"USER32.dll", "PostMessageA", reinterpret_cast<void*>(&PostMessageA)},
    {"USER32.dll", "SetFocus", reinterpret_cast<void*>(&SetFocus)},
    {"USER32.dll", "ShowWindow", reinterpret_cast<void*>(&ShowWindow)},
};

}  // namespace

const ImportRedirect* ImportRedirects(size_t* count) {
    *count = std::size(kRedirects);
    return kRedirects;
}

}  // namespace qlhost::win
