// The host's drawing commands as chains of prompts through the same protocol as the
// plug-in's commands (ReqData, continuation, CmdEnd), and the running of host script texts.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/commands/commands.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

constexpr size_t kTextBuffer = kMaxInputLine + 1;

// The command being drawn: its definition, the step asked last and the answers so far.
struct Chain {
    const CommandDef* def = nullptr;
    size_t step = 0;
    bool more = false;  // asking further points
    Answers answers;
    double point[3] = {0, 0, 0};
    int32_t whole = 0;
    double distance = 0;
    char text[kTextBuffer] = {};
};
// This room's part of the host's state (host/state/parts.h).
struct CommandChainState {
    Chain chain;
};
CommandChainState& Chains() { return Part<CommandChainState>(); }

bool SameName(const char* a, const std::string& b) {
    if (std::strlen(a) != b.size()) return false;
    for (size_t i = 0; i < b.size(); ++i) {
        char c = b[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (a[i] != c) return false;
    }
    return true;
}

const CommandDef* FindDef(const std::string& name) {
    for (const auto* family : {&ShapeCommands(), &AnnotationCommands()})
        for (const CommandDef& def : *family)
            if (SameName(def.name, name)) return &def;
    return nullptr;
}

void Answered(int status);

void AskPoint(const char* prompt, int cursor) {
    if (!Chains().chain.answers.points.empty()) {
        const Pt last = Chains().chain.answers.points.back();
        SetCursorOrg2(last.x, last.y);
    }
    ReqData(REQ_POINT2, Chains().chain.point, prompt, QL_CURSOR(cursor), Answered, 0, 0);
}

void AskNext() {
    const CommandDef& def = *Chains().chain.def;
    if (Chains().chain.step < def.steps.size()) {
        const Step& step = def.steps[Chains().chain.step];
        switch (step.ask) {
            case Ask::kPoint: return AskPoint(step.prompt, step.cursor);
            case Ask::kWhole: return ReqData(REQ_INTEGER, &Chains().chain.whole, step.prompt, QL_CURSOR(1), Answered, 0, 0);
            case Ask::kDistance:
                return ReqData(REQ_DISTANCE, &Chains().chain.distance, step.prompt, QL_CURSOR(1), Answered, 0, 0);
            case Ask::kText:
                std::memset(Chains().chain.text, 0, sizeof Chains().chain.text);
                return ReqData(REQ_TEXT, Chains().chain.text, step.prompt, QL_CURSOR(1), Answered, 0, 0);
        }
    }
    if (def.more != nullptr) {
        Chains().chain.more = true;
        return AskPoint(def.more, 5);
    }
    if (def.finish) def.finish(Chains().chain.answers);
    CmdEnd();
}

void Answered(int status) {
    const CommandDef& def = *Chains().chain.def;
    if (Chains().chain.more) {
        if (status == ST_OK) {
            Chains().chain.answers.points.push_back({Chains().chain.point[0], Chains().chain.point[1]});
            if (def.each) def.each(Chains().chain.answers);
            return AskPoint(def.more, 5);
        }
        if (status == ST_DEFAULT && Chains().chain.answers.points.size() >= def.least && def.finish)
            def.finish(Chains().chain.answers);
        return CmdEnd();
    }
    if (status != ST_OK) return CmdEnd();
    const Step& step = def.steps[Chains().chain.step];
    switch (step.ask) {
        case Ask::kPoint:
            Chains().chain.answers.points.push_back({Chains().chain.point[0], Chains().chain.point[1]});
            if (def.each && Chains().chain.answers.points.size() >= 2) def.each(Chains().chain.answers);
            break;
        case Ask::kWhole: Chains().chain.answers.numbers.push_back(Chains().chain.whole); break;
        case Ask::kDistance: Chains().chain.answers.numbers.push_back(Chains().chain.distance); break;
        case Ask::kText:
            Chains().chain.answers.text.assign(Chains().chain.text, strnlen(Chains().chain.text, sizeof Chains().chain.text));
            break;
    }
    if (step.accept != nullptr && !step.accept(Chains().chain.answers)) return CmdEnd();
    ++Chains().chain.step;
    AskNext();
}

}  // namespace

const char* FindHostCommand(const std::string& name) {
    const CommandDef* def = FindDef(name);
    return def ? def->name : nullptr;
}

std::vector<std::string> HostCommandNames() {
    std::vector<std::string> names;
    for (const auto* family : {&ShapeCommands(), &AnnotationCommands()})
        for (const CommandDef& def : *family) names.push_back(def.name);
    return names;
}

void RunHostCommand() {
    Chains().chain = Chain{};
    Chains().chain.def = FindDef(RunningCommand());
    if (Chains().chain.def == nullptr) return CmdEnd();
    AskNext();
}

namespace {
// The session (protocol room) starts the host's commands through this table.
const bool kInstalled = (SetHostCommands({FindHostCommand, &RunHostCommand, &RunScriptText}), true);
}  // namespace

void RunScriptText(const std::string& script) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t semicolon = script.find(';', start);
        parts.push_back(script.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
        if (semicolon == std::string::npos) break;
        start = semicolon + 1;
    }
    if (!StartCommand(parts[0])) return;
    for (size_t i = 1; i < parts.size() && !parts[i].empty() && CurrentPrompt() != nullptr; ++i) {
        Transcript("script input: " + parts[i]);
        AnswerTyped(parts[i]);
    }
}

HostList* WorkList() { return TheDrawing().work.get(); }

Node* AddDrawn(HostList* list, Record record) {
    SetCStuff(record.data());
    EntRec* stored = list->ops->AddEntity(list, record.data());
    Node* node = stored ? NodeOf(stored) : nullptr;
    if (node == nullptr) {
        ScriptFault("the drawing refused the entity of " + RunningCommand());
        return nullptr;
    }
    EDraw(0, stored);
    Transcript("drawn " + DumpEntity(*node));
    return node;
}

bool CircleThrough(Pt a, Pt b, Pt c, Pt& centre, double& radius) {
    const double d = 2 * Cross(b - a, c - a);
    const double scale = std::max({Norm(b - a), Norm(c - a), Norm(c - b)});
    if (scale == 0 || std::fabs(d) <= 1e-12 * scale * scale) return false;
    const Pt ab = b - a, ac = c - a;
    const double ab2 = Dot(ab, ab), ac2 = Dot(ac, ac);
    centre = a + Pt{(ac.y * ab2 - ab.y * ac2) / d, (ab.x * ac2 - ac.x * ab2) / d};
    radius = Norm(a - centre);
    return true;
}

bool ArcThrough(Pt a, Pt b, Pt c, Pt& centre, double& radius, double& start, double& sweep) {
    if (!CircleThrough(a, b, c, centre, radius)) return false;
    // Counter-clockwise from a through b to c when the turn a-b-c is to the left; else the
    // same arc runs counter-clockwise from c to a.
    if (Cross(b - a, c - a) < 0) std::swap(a, c);
    const double twoPi = 2 * std::numbers::pi;
    start = std::atan2(a.y - centre.y, a.x - centre.x);
    sweep = std::fmod(std::atan2(c.y - centre.y, c.x - centre.x) - start + 2 * twoPi, twoPi);
    if (start < 0) start += twoPi;
    return sweep > 0;
}

}  // namespace qlhost
