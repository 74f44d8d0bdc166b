// QLCMENU: shows a pop-up menu read from a menu file and runs the chosen line as a script.
#include <cstring>
#include <string>

#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "macro/macro_text.h"
#include "macro/menu_file.h"

namespace {

constexpr size_t kMenuNameSize = 260;
static_assert(kMenuNameSize >= kTextAnswerSize, "the host may write a whole text answer");
constexpr UINT kMenuFlags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;

char g_menuName[kMenuNameSize];
char g_savedMenuName[kMenuNameSize];
// The chosen script line; a string, so no line of a menu file is too long for it.
std::string g_script;

// Kept static: the host reads the prompt record while the request is open.
const PromptRec kMenuNamePrompt = MakePrompt("Filename [!01]: ", PromptValue(g_menuName, PF_TEXT, 255));

void AddItems(HMENU menu, const std::vector<MenuItem>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_TYPE;
        if (item.separator) {
            info.fType = MFT_SEPARATOR;
        } else {
            info.fType = MFT_STRING;
            info.dwTypeData = const_cast<LPSTR>(item.label.c_str());
            info.cch = static_cast<UINT>(item.label.size());
            info.wID = item.scriptOffset == kNoScript ? 0 : static_cast<UINT>(i + 1);
        }
        InsertMenuItemA(menu, static_cast<UINT>(i), TRUE, &info);
    }
}

// Shows the menu of the file named in g_menuName; true with g_script set when a line with a
// script was chosen. The menu and the loaded text are released on every path.
bool ChooseScript() {
    char* text = nullptr;
    uint32_t size = 0;
    LoadFile(g_menuName, &text, &size);
    if (text == nullptr) return false;
    bool chosen = false;
    if (size != 0) {
        HMENU menu = CreatePopupMenu();
        if (menu != nullptr) {
            std::vector<MenuItem> items = ParseMenuFile(text, size);
            AddItems(menu, items);
            POINT cursor{};
            GetCursorPos(&cursor);
            UINT id = static_cast<UINT>(TrackPopupMenuEx(menu, kMenuFlags, cursor.x, cursor.y, GetMainWin(), nullptr));
            if (id != 0 && id <= items.size() && items[id - 1].scriptOffset != kNoScript) {
                std::string_view script = MenuScriptAt(text, size, items[id - 1].scriptOffset);
                if (!script.empty()) {
                    g_script.assign(script);
                    chosen = true;
                }
            }
            DestroyMenu(menu);
        }
    }
    RelMem(text);
    return chosen;
}

void MenuNameDone(int status) {
    if (status == ST_DEFAULT) std::memcpy(g_menuName, g_savedMenuName, sizeof g_menuName);
    g_menuName[kMenuNameSize - 1] = '\0';
    if ((status == ST_OK || status == ST_DEFAULT) && ChooseScript()) ExecScriptCopy(g_script.c_str());
    CmdEnd();
}

}  // namespace

void QLCMENU() {
    std::memcpy(g_savedMenuName, g_menuName, sizeof g_menuName);
    ReqData(REQ_TEXT, g_menuName, &kMenuNamePrompt, QL_CURSOR(1), MenuNameDone, REQ_FLAG_RECORD, 0);
}
