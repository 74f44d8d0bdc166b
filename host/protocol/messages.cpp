// Posted messages: host dialogs take theirs at once; ESCAPE, ENTER and mouse moves posted
// to the host's windows wait until the plug-in's procedure has returned, then act on the
// open prompt as the keys and the mouse would.
#include <deque>

#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/state/parts.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

struct Posted {
    HWND window;
    UINT msg;
    WPARAM w;
    LPARAM l;
};

// This room's part of the host's state (host/state/parts.h).
struct MessageState {
    std::deque<Posted> queue;
    bool uiDelivery = false;
    bool pumping = false;
};
MessageState& Messages() { return Part<MessageState>(); }

// A plug-in that posts a key from every continuation it is woken by would never stop.
constexpr int kMaxPumpedMessages = 10000;

void Handle(const Posted& message) {
    const bool key = message.msg == WM_KEYDOWN || message.msg == WM_CHAR;
    if (key && message.w == VK_ESCAPE) {
        ClearTyped();
        AnswerPrompt(kStatusCancel);
    } else if (key && message.w == VK_RETURN) {
        SubmitTyped();
    } else if (message.msg == WM_CHAR && message.w >= 0x20 && message.w < 0x7F) {
        TypeIntoPrompt(static_cast<char>(message.w));
    } else if (message.msg == WM_MOUSEMOVE) {
        CallDrag();
    }
}

}  // namespace

BOOL PostHostMessage(HWND window, UINT msg, WPARAM w, LPARAM l) {
    if (UiHandleMessage(window, msg, w, l)) {
        Messages().uiDelivery = true;
        return TRUE;
    }
    // A close meant for a dialog whose window the focus did not lead to (the parent of a
    // focus that stayed on the drawing window is the main window).
    if (msg == WM_CLOSE && (window == MainWindow() || window == DrawingWindow())) {
        if (HWND dialog = GetDlgWin(); dialog && UiHandleMessage(dialog, msg, w, l)) {
            Messages().uiDelivery = true;
            return TRUE;
        }
    }
    if (!KnownWindow(window)) return FALSE;
    Messages().queue.push_back({window, msg, w, l});
    return TRUE;
}

void PumpMessages() {
    if (Messages().pumping || StepRunning()) return;
    Messages().pumping = true;
    int handled = 0;
    while (!Messages().queue.empty()) {
        if (++handled > kMaxPumpedMessages) {
            ScriptFault("posted messages do not stop: the plug-in posts again whenever one is handled");
            Messages().queue.clear();
            break;
        }
        const Posted message = Messages().queue.front();
        Messages().queue.pop_front();
        Handle(message);
    }
    Messages().pumping = false;
}

void DiscardMessages() { Messages().queue.clear(); }

void NoteUiDelivery() { Messages().uiDelivery = true; }

bool TakeUiDelivery() {
    const bool delivered = Messages().uiDelivery;
    Messages().uiDelivery = false;
    return delivered;
}

}  // namespace qlhost
