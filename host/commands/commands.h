// The host's own drawing commands (LINE, BOX, RPOLY, SYMBOL, DIML, ...), which host scripts
// start by name, and the running of a host script text. docs/host-commands.md lists them.
#pragma once

#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/geometry/vec2.h"

namespace qlhost {

// The canonical (upper-case) name of a host command, or null when there is none. Names
// compare without regard to case.
const char* FindHostCommand(const std::string& name);
// The procedure that runs every host command: it reads the running command's name.
void RunHostCommand();
// Every host command name, in the order of docs/host-commands.md.
std::vector<std::string> HostCommandNames();

// Runs a host script text "NAME;answer;answer;...": starts the command (the plug-in's or the
// host's) and types each answer into its prompts in turn; an empty answer, or the end of the
// text, leaves the remaining prompts to the user. A text naming no command does nothing.
void RunScriptText(const std::string& script);

// ---------------------------------------------------------------------------------------
// The prompt chains behind the commands.

enum class Ask { kPoint, kWhole, kDistance, kText };

struct Answers {
    std::vector<Pt> points;
    std::vector<double> numbers;  // whole numbers and distances, in asking order
    std::string text;
};

struct Step {
    Ask ask;
    const char* prompt;
    int cursor;  // 4 free point, 5 rubber line from the last point, 6 rubber box from it, 1 plain
    // Checks the answers so far; false ends the command without drawing.
    bool (*accept)(const Answers&) = nullptr;
};

struct CommandDef {
    const char* name;
    std::vector<Step> steps;
    const char* more = nullptr;  // then further points until Enter, with this prompt
    size_t least = 0;            // points needed when Enter ends the further points
    void (*finish)(const Answers&) = nullptr;
    void (*each)(const Answers&) = nullptr;  // after each point from the second on (LINE's segments)
};

// The commands of each family (drawing_commands.cpp, annotation_commands.cpp).
const std::vector<CommandDef>& ShapeCommands();
const std::vector<CommandDef>& AnnotationCommands();

// Adds a record to a list with the current attributes, draws it and writes its listing line
// to the transcript. Returns the stored node, or null when the list refused it.
Node* AddDrawn(HostList* list, Record record);
// The working list.
HostList* WorkList();

// Geometry shared by the families.
// Circle through three points; false when they lie on one line.
bool CircleThrough(Pt a, Pt b, Pt c, Pt& centre, double& radius);
// The counter-clockwise arc from a through b to c: start angle and sweep (> 0).
bool ArcThrough(Pt a, Pt b, Pt c, Pt& centre, double& radius, double& start, double& sweep);

}  // namespace qlhost
