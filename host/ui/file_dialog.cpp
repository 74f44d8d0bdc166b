// GetOpenFN answered by the script, and ShellExecuteA.
#include <algorithm>
#include <cstring>

#include "host/platform/file_root.h"
#include "host/ui/env.h"
#include "host/ui/modal.h"

namespace qlhost {

int OpenFileDialog(const char* title, OpenFNRec* record) {
    if (record == nullptr || record->fileName == nullptr || record->bufferSize == 0) {
        ScriptFault("GetOpenFN without a file name buffer");
        return 0;
    }
    Transcript("file dialog " + Quoted(title ? title : ""));
    UiAction a;
    while (NextUiAction(a, "file dialog")) {
        if (a.verb.empty()) continue;
        if (a.verb == "esc") break;
        if (a.verb != "file" || a.args.size() != 1) {
            ScriptFault("`" + a.verb + "` while a file dialog is open (it takes `file \"PATH\"` or `file cancel`)");
            continue;
        }
        if (a.args[0] == "cancel") break;
        const std::string& path = a.args[0];
        // A name the file root refuses is not chosen: the transcript says why, the dialog stays.
        if (std::string resolved; !ResolvePluginFile(path, resolved)) continue;
        size_t n = std::min<size_t>(path.size(), record->bufferSize - 1);
        std::memcpy(record->fileName, path.data(), n);
        record->fileName[n] = '\0';
        Transcript("file dialog chose " + Quoted(record->fileName));
        return 1;
    }
    Transcript("file dialog cancelled");
    return 0;
}

HINSTANCE ShellOpen(const char* operation, const char* file, const char* parameters) {
    std::string line = std::string("shell ") + (operation ? operation : "open") + " " + Quoted(file ? file : "");
    if (parameters && *parameters) {
        line += ' ';
        line += Quoted(parameters);
    }
    Transcript(line);
    return reinterpret_cast<HINSTANCE>(uintptr_t{42});
}

}  // namespace qlhost
