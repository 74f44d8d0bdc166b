// Answers to the open prompt: texts, numbers, points, picks and selections, given by the
// script or typed key by key, written into the plug-in's buffer before its continuation runs.
#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/protocol/interact.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// This room's part of the host's state (host/state/parts.h).
struct AnswerState {
    std::string typed;
};
AnswerState& Answers() { return Part<AnswerState>(); }

const PromptInfo* OpenPrompt(const char* answer) {
    const PromptInfo* prompt = CurrentPrompt();
    if (!prompt) ScriptFault(std::string(answer) + ": no prompt is open");
    return prompt;
}

void Mismatch(const char* answer) { ScriptFault(std::string(answer) + " does not answer " + DescribePrompt()); }

bool IsPointKind(int kind) { return kind == REQ_POINT2 || kind == REQ_POINT3; }

bool ParseDouble(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first < last && *first == ' ') ++first;
    while (last > first && last[-1] == ' ') --last;
    if (first < last && *first == '+') ++first;
    auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && std::isfinite(value);
}

}  // namespace

std::string DescribePrompt() {
    const PromptInfo* prompt = CurrentPrompt();
    if (!prompt) return "(no prompt)";
    return "the prompt \"" + prompt->text + "\" (kind " + std::to_string(prompt->kind) + ")";
}

void AnswerText(const std::string& text) {
    const PromptInfo* prompt = OpenPrompt("text");
    if (!prompt) return;
    if (prompt->kind != REQ_VARIABLE && prompt->kind != REQ_TEXT) return Mismatch("text");
    if (text.size() > kMaxInputLine) {
        ScriptFault("text: longer than the host's input line of " + std::to_string(kMaxInputLine) + " characters");
        return;
    }
    std::memcpy(prompt->buffer, text.c_str(), text.size() + 1);
    AnswerPrompt(0);
}

void AnswerNumber(double value) {
    const PromptInfo* prompt = OpenPrompt("number");
    if (!prompt) return;
    switch (prompt->kind) {
        case REQ_DISTANCE:
        case REQ_REAL:
            std::memcpy(prompt->buffer, &value, sizeof value);
            break;
        case REQ_ANGLE: {
            const double radians = value * std::numbers::pi / 180.0;
            std::memcpy(prompt->buffer, &radians, sizeof radians);
            break;
        }
        case REQ_INTEGER: {
            if (value != std::trunc(value) || value < -2147483648.0 || value > 2147483647.0) {
                ScriptFault("number: " + std::to_string(value) + " is not a whole number");
                return;
            }
            const int32_t whole = static_cast<int32_t>(value);
            std::memcpy(prompt->buffer, &whole, sizeof whole);
            break;
        }
        case REQ_POINT2:
        case REQ_POINT3:
            if (!(prompt->flags & REQ_FLAG_NUMBER)) return Mismatch("number");
            std::memcpy(prompt->buffer, &value, sizeof value);
            AnswerPrompt(3);
            return;
        default:
            return Mismatch("number");
    }
    AnswerPrompt(0);
}

void AnswerPoint(double x, double y, double z, bool hasZ) {
    const PromptInfo* prompt = OpenPrompt("point");
    if (!prompt) return;
    if (!IsPointKind(prompt->kind)) return Mismatch("point");
    double* cursor = LiveCursor();
    cursor[0] = x;
    cursor[1] = y;
    if (hasZ) cursor[2] = z;
    SetPickPosition(x, y);
    NotePointGiven(x, y);
    const double point[3] = {x, y, hasZ ? z : 0.0};
    std::memcpy(prompt->buffer, point, prompt->kind == REQ_POINT3 ? sizeof point : 2 * sizeof(double));
    AnswerPrompt(0);
}

void AnswerPick(double x, double y) {
    const PromptInfo* prompt = OpenPrompt("pick");
    if (!prompt) return;
    if (prompt->kind != REQ_PICK) return Mismatch("pick");
    double* cursor = LiveCursor();
    cursor[0] = x;
    cursor[1] = y;
    SetPickPosition(x, y);
    EntRec* entity = PickAt(x, y);
    std::memcpy(prompt->buffer, &entity, sizeof entity);
    AnswerPrompt(0);
}

void AnswerSelection() {
    const PromptInfo* prompt = OpenPrompt("select");
    if (!prompt) return;
    if (prompt->kind != REQ_SELECTION) return Mismatch("select");
    AnswerPrompt(0);
}

// Text prompts take every character; the others only what numbers and points are made of.
void TypeIntoPrompt(char c) {
    const PromptInfo* prompt = CurrentPrompt();
    if (!prompt || Answers().typed.size() >= kMaxInputLine) return;
    const bool text = prompt->kind == REQ_VARIABLE || prompt->kind == REQ_TEXT;
    // Point prompts also take relative ("@dx,dy") and polar ("@d<angle") input.
    const bool point = IsPointKind(prompt->kind) && (c == '@' || c == '<');
    if (text || point || (c >= '0' && c <= '9') || std::strchr(".,+-eE", c)) Answers().typed.push_back(c);
}

void EraseTyped() {
    if (!Answers().typed.empty()) Answers().typed.pop_back();
}

void ClearTyped() { Answers().typed.clear(); }
const std::string& TypedInput() { return Answers().typed; }

void SubmitTyped() {
    if (!CurrentPrompt()) return;
    const std::string input = Answers().typed;
    Answers().typed.clear();
    if (input.empty()) {
        AnswerPrompt(2);
        return;
    }
    AnswerTyped(input);
}

void AnswerTyped(const std::string& input) {
    const PromptInfo* prompt = OpenPrompt("typed input");
    if (!prompt) return;
    if (prompt->kind == REQ_VARIABLE || prompt->kind == REQ_TEXT) return AnswerText(input);
    if (IsPointKind(prompt->kind) && input.find_first_of("@<") != std::string::npos) {
        Pt last, point;
        double z;
        bool hasZ;
        if (ParsePointInput(input, LastPoint(last), last, point, z, hasZ))
            return AnswerPoint(point.x, point.y, z, hasZ);
        Transcript("input not understood: " + input);
        return;
    }
    double values[3] = {0, 0, 0};
    int count = 0;
    size_t start = 0;
    bool valid = true;
    for (;;) {
        const size_t comma = input.find(',', start);
        const std::string part = input.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (count == 3 || !ParseDouble(part, values[count])) {
            valid = false;
            break;
        }
        ++count;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (!valid) count = 0;
    if (count == 1 && (!IsPointKind(prompt->kind) || (prompt->flags & REQ_FLAG_NUMBER))) return AnswerNumber(values[0]);
    if (count >= 2 && IsPointKind(prompt->kind)) return AnswerPoint(values[0], values[1], values[2], count == 3);
    // The host keeps the prompt open after an input it cannot read, as a user would see.
    Transcript("input not understood: " + input);
}

}  // namespace qlhost
