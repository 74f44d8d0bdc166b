// The maker's web page link button of the hatch dialog.
#include "core/weblink.h"

const char kMakerAddress[] = "https://www.tarnwell.com";

namespace {

constexpr int kShownCharacters = 24;
constexpr UINT kLinkFormat = 0x1108;  // DT_INTERNAL | DT_NOCLIP | DT_BOTTOM
constexpr DWORD kSwissVariablePitch = 0x22;  // FF_SWISS | VARIABLE_PITCH
static_assert(sizeof kMakerAddress - 1 >= kShownCharacters, "the button shows 24 characters");

}  // namespace

int WebLinkClick(int id) {
    ShellExecuteA(nullptr, "open", kMakerAddress, nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}

int WebLinkDraw(UINT message, void* item) {
    if (message != WM_DRAWITEM || item == nullptr) return 0;
    auto* draw = static_cast<DRAWITEMSTRUCT*>(item);
    HFONT font = CreateFontA(15, 0, 0, 0, 400, 0, 1, 0, 0, 0, 0, 0, kSwissVariablePitch, nullptr);
    HGDIOBJ previousFont = SelectObject(draw->hDC, font);
    COLORREF previousBackground = SetBkColor(draw->hDC, GetSysColor(COLOR_MENU));
    RECT rect = draw->rcItem;
    DrawTextA(draw->hDC, kMakerAddress, kShownCharacters, &rect, kLinkFormat);
    SetBkColor(draw->hDC, previousBackground);
    SelectObject(draw->hDC, previousFont);
    DeleteObject(font);
    return 0;
}
