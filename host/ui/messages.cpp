// Message boxes answered by the script, and FormSt.
#include "host/ui/messages.h"

#include <algorithm>
#include <cstring>

#include "core/host_api.h"
#include "host/ui/env.h"
#include "host/ui/format.h"

namespace qlhost {
namespace {

constexpr int kRecordBufferDefault = 256;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

void TranscribeLines(const std::string& text) {
    std::string line;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            Transcript(line.empty() ? "|" : "| " + line);
            line.clear();
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
        }
    }
}

// The script's answer when it is the next action; otherwise the default button.
int Answer(bool question) {
    int fallback = question ? IDYES : IDOK;
    UiAction peeked;
    if (!PeekUiAction(peeked) || peeked.verb != "answer") return fallback;
    UiAction action;
    NextUiAction(action, "message box");
    std::string word = action.args.empty() ? std::string() : Lower(action.args[0]);
    if (question && word == "yes") return IDYES;
    if (question && word == "no") return IDNO;
    if (!question && word == "ok") return IDOK;
    ScriptFault("`answer " + word + "` does not fit a message box with " +
            (question ? "Yes and No" : "OK"));
    return fallback;
}

const char* ButtonName(int id) {
    switch (id) {
        case IDYES: return "Yes";
        case IDNO: return "No";
        default: return "OK";
    }
}

}  // namespace

int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t style) {
    bool question = (style & 0x0F) == kStyleQuestion;
    Transcript("message " + Quoted(caption));
    TranscribeLines(text);
    int result = Answer(question);
    Transcript(std::string("message closed with ") + ButtonName(result));
    return result;
}

int FormStText(const void* source, int mode, const char* caption, uintptr_t destination) {
    if (source == nullptr) {
        ScriptFault("FormSt without a text or prompt record");
        return 0;
    }
    if (mode == -1) return ShowMessageBox(static_cast<const char*>(source), caption ? caption : "", static_cast<uint32_t>(destination));
    if (mode < 0) {
        ScriptFault("FormSt with the mode " + std::to_string(mode));
        return 0;
    }
    std::string error;
    std::string text = FillPromptRecord(source, error);
    if (!error.empty()) ScriptFault(error);
    if (destination == QL_FORM_SHOW) return ShowMessageBox(text, "Message", kStyleMessage);
    if (destination == 0) {
        ScriptFault("FormSt without a destination buffer");
        return 0;
    }
    size_t size = static_cast<size_t>(mode > 0 ? mode : kRecordBufferDefault);
    size_t n = std::min(text.size(), size - 1);
    char* out = reinterpret_cast<char*>(destination);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<int>(n);
}

}  // namespace qlhost
