// TSpecDialog: the host's own text settings dialog, reduced to the text height.
#include <cstring>

#include "host/drawing/tables.h"
#include "host/ui/env.h"
#include "host/ui/format.h"
#include "host/ui/modal.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

constexpr const char* kName = "TSPECDLG";
constexpr size_t kEntryData = 4;  // an entry's length comes before its data

// The style block the dialog works on: the caller's, or the current text style's.
unsigned char* StyleBlock(unsigned char* given) {
    if (given) return given;
    Table* table = TableOfKind(TheDrawing().tables, TPL_TEXT_STYLES);
    unsigned char* entry = table ? CurrentEntry(*table, kTableEntries) : nullptr;
    return entry ? entry + kEntryData : nullptr;
}

}  // namespace

int TextSettingsDialog(unsigned char* styleBlock, int mode) {
    unsigned char* block = StyleBlock(styleBlock);
    Transcript(std::string("dialog ") + kName + " \"Text Settings\" opened");
    bool haveHeight = false;
    float height = 0;
    int result = 0;
    UiAction a;
    std::string end = "Cancel";
    while (true) {
        if (!NextUiAction(a, std::string("dialog ") + kName)) {
            end = "Cancel (end of script)";
            break;
        }
        if (a.verb.empty()) continue;
        if (a.verb == "esc") break;
        if (a.verb == "enter") {
            result = 1;
            break;
        }
        bool dialog = a.verb == "dialog" && a.args.size() >= 2;
        if (dialog && a.args[0] == "click" && (a.args[1] == "1" || a.args[1] == "2")) {
            result = a.args[1] == "1" ? 1 : 0;
            break;
        }
        if (dialog && a.args[0] == "set" && a.args[1] == "height" && a.args.size() == 3) {
            if (ParseValue(a.args[2], kFormatFloat, &height) && height > 0) haveHeight = true;
            else ScriptFault(std::string("dialog ") + kName + ": the height \"" + a.args[2] + "\" is not a positive number");
            continue;
        }
        ScriptFault(std::string("dialog ") + kName + " takes `dialog set height V`, `dialog click 1` or `dialog click 2`");
    }
    if (result == 1) {
        end = "OK";
        if (haveHeight && block) std::memcpy(block + kTextStyleHeight, &height, sizeof height);
    }
    Transcript(std::string("dialog ") + kName + " closed with " + end);
    return result;
}

}  // namespace qlhost
