// Undo steps of the running host: where they begin and end, the symbol definitions that go
// with them, and undo and redo as the user asks for them.
#include <cstring>

#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/protocol/protocol.h"
#include "host/protocol/undo_steps.h"
#include "host/state/events.h"

namespace qlhost {
namespace {

void PutWord(std::string& out, uint32_t value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

uint32_t TakeWord(const std::string& in, size_t& at) {
    uint32_t value = 0;
    if (at + sizeof value <= in.size()) std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return value;
}

// The symbol definitions as bytes: the next free handle, then each handle, size and record.
std::string SaveDefinitions() {
    const SymbolDefinitions definitions = SaveSymbolDefinitions();
    std::string out;
    PutWord(out, definitions.next);
    for (const auto& [handle, record] : definitions.byHandle) {
        PutWord(out, handle);
        PutWord(out, static_cast<uint32_t>(record.size()));
        out.append(reinterpret_cast<const char*>(record.data()), record.size());
    }
    return out;
}

void RestoreDefinitions(const std::string& bytes) {
    SymbolDefinitions definitions;
    size_t at = 0;
    definitions.next = TakeWord(bytes, at);
    while (at + 8 <= bytes.size()) {
        const uint32_t handle = TakeWord(bytes, at);
        const uint32_t size = TakeWord(bytes, at);
        if (size > bytes.size() - at) break;
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        definitions.byHandle[handle].assign(data, data + size);
        at += size;
    }
    RestoreSymbolDefinitions(std::move(definitions));
}

void CheckAfter(const std::string& what) {
    if (!ValidateAfterCommands()) return;
    const std::string fault = ValidateDrawing(TheDrawing());
    if (!fault.empty()) ScriptFault("drawing unsound after " + what + ": " + fault);
}

}  // namespace

void BeginUndoStep(const std::string& name) {
    TheUndoHistory().Begin(TheDrawing(), name, UndoExtra{SaveDefinitions, RestoreDefinitions});
}

void EndUndoStep() {
    TheUndoHistory().End(TheDrawing());
}

void UndoLastStep() {
    std::string name;
    if (!TheUndoHistory().Undo(TheDrawing(), name)) return Transcript("Nothing to undo");
    Transcript("undo " + name);
    CheckAfter("undo " + name);
}

void RedoLastStep() {
    std::string name;
    if (!TheUndoHistory().Redo(TheDrawing(), name)) return Transcript("Nothing to redo");
    Transcript("redo " + name);
    CheckAfter("redo " + name);
}

}  // namespace qlhost
