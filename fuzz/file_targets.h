// Fuzz targets for the readers of the files a user hands over: PAT pattern files, stroke
// fonts and pop-up menu files read by the plug-in's commands, and the host's dialog
// templates, registry files, drawing files and scenario scripts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/records.h"
#include "fuzz/fuzz_host.h"
#include "hatch/engine/patterns.h"
#include "host/geometry/records.h"
#include "host/io/drawing_io.h"
#include "host/script/parser.h"
#include "host/ui/dialog_template.h"
#include "host/ui/rc.h"
#include "macro/menu_file.h"

namespace ql_fuzz {

// A broken promise of a reader (a round trip that does not hold): stop as a crash would.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Selects the entity just added, as a selection answer expects.
inline qlhost::Node* AddSelected(qlhost::HostList& list, const qlhost::Record& record) {
    qlhost::Node* node = list.Append(record.data(), static_cast<uint32_t>(record.size()));
    if (node != nullptr) node->flags |= qlhost::Node::kSelected;
    return node;
}

// The input registered as the only PAT file; the library read through the registry's file
// list, filtered, and its newest pattern found by name.
inline int PatFile(const uint8_t* data, size_t size) {
    HostSandbox host;
    const std::string path = WriteScratch("fuzz.pat", data, size);
    AddPatFile(path.c_str());
    ReadPatLibrary();
    size_t listed = 0;
    ListPatPatterns("=A*", [&](const PatPattern&) { ++listed; });
    const PatLibrary& library = ThePatLibrary();
    if (!library.Empty())
        Require(FindPatPattern(library.At(0).name) == &library.At(0), "the newest pattern is found by its name");
    FreePatLibrary();
    return 0;
}

// The input read as the PAT file and its newest pattern hatched into a box by
// QLHATCHSTANDARD, from options stored in the registry as the hatch dialog would store them.
inline int PatHatch(const uint8_t* data, size_t size) {
    HostSandbox host;
    const std::string path = WriteScratch("fuzz.pat", data, size);
    AddPatFile(path.c_str());
    ReadPatLibrary();
    const PatLibrary& library = ThePatLibrary();
    if (library.Empty()) return 0;
    HatchOptions options = DefaultHatchOptions();
    options.patternKind = kPatternPat;
    std::snprintf(options.patName, sizeof options.patName, "%s", library.At(0).name);
    TheHatchOptions() = options;
    SaveHatchOptions();
    TheHatchOptions() = DefaultHatchOptions();
    FreePatLibrary();
    AddSelected(HostSandbox::Work(), qlhost::MakeBox(0, 0, 20, 15));
    if (qlhost::StartCommand("QLHATCHSTANDARD")) qlhost::AnswerSelection();
    return 0;
}

// The input as the stroke font "Simplex" (font 0), found in the user folder before the
// host's own; two texts in it exploded, one right-justified, one in a group.
inline int StrokeFont(const uint8_t* data, size_t size) {
    HostSandbox host;
    WriteScratch("Simplex", data, size);
    const std::string characters("Ag0 ~\x01\x7f\x80\xfe\xff", 10);
    qlhost::HostList& work = HostSandbox::Work();
    AddSelected(work, qlhost::MakeText(10, 5, 2.5, 0.3, 2, 0, characters));
    qlhost::Node* group = AddSelected(work, qlhost::MakeGroup());
    const qlhost::Record member = qlhost::MakeText(0, 0, 4, 0, 1, 0, "Wim");
    work.Children(group)->Append(member.data(), static_cast<uint32_t>(member.size()));
    if (qlhost::StartCommand("QLTEXTEXPL")) qlhost::AnswerSelection();
    return 0;
}

// The input as a menu file: read by itself (no terminator, the walk must stay within the
// size), then shown by QLCMENU with one of its items chosen.
inline int MenuFile(const uint8_t* data, size_t size) {
    HostSandbox host;
    const char* text = reinterpret_cast<const char*>(data);
    const std::vector<MenuItem> items = ParseMenuFile(text, size);
    std::vector<std::string> labels;
    for (const MenuItem& item : items) {
        if (item.separator) continue;
        if (item.scriptOffset != kNoScript) MenuScriptAt(text, size, item.scriptOffset);
        labels.push_back(item.label);
    }
    host.Answer("menu", {labels.empty() ? std::string("none") : labels[size % labels.size()]});
    WriteScratch("fuzz.mnu", data, size);
    if (qlhost::StartCommand("QLCMENU")) qlhost::AnswerText("#fuzz.mnu");
    return 0;
}

// The input as the bytes of an RT_DIALOG resource, read as the Windows build reads a module's
// dialogs.
inline int DialogTemplate(const uint8_t* data, size_t size) {
    qlhost::rc::Dialog dialog;
    std::string error;
    if (!qlhost::rc::ReadDialogTemplate(data, size, dialog, error))
        Require(!error.empty(), "a template that cannot be read says why");
    return 0;
}

// The input as a resource script; it may include itself ("self.rc"), a small header
// ("ids.h") or a file that is not there.
inline int ResourceScript(const uint8_t* data, size_t size) {
    const std::string text = Text(data, size);
    qlhost::rc::IncludeReader include = [&](const std::string& name, const std::string&, std::string& body,
                                            std::string& path) {
        path = name;
        if (name == "self.rc") body = text;
        else if (name == "ids.h") body = "#define IDC_ONE 1001\n#define IDC_TWO (IDC_ONE + 1)\n";
        else return false;
        return true;
    };
    qlhost::rc::Document doc;
    qlhost::rc::Defines defines;
    std::string error;
    if (!qlhost::rc::Parse(text, "fuzz.rc", doc, error, include, &defines)) return 0;
    for (const qlhost::rc::Dialog& dialog : doc.dialogs) {
        Require(doc.Find(dialog.name) != nullptr, "a parsed dialog is found by its name");
        for (const qlhost::rc::Control& control : dialog.controls) dialog.Find(control.id);
    }
    return 0;
}

// The input as a .reg file; what was read is written and read back unchanged.
inline int RegistryText(const uint8_t* data, size_t size) {
    qlhost::RegistryStore store;
    std::string error;
    if (!qlhost::ReadRegText(Text(data, size), "fuzz.reg", store, error)) return 0;
    const std::string written = qlhost::WriteRegText(store);
    qlhost::RegistryStore again;
    Require(qlhost::ReadRegText(written, "again.reg", again, error), "a written registry reads back");
    Require(qlhost::WriteRegText(again) == written, "a registry read back writes the same text");
    return 0;
}

// A loaded drawing is consistent, pictures, and its JSON form loads again.
inline void CheckLoadedDrawing() {
    Require(qlhost::ValidateDrawing(qlhost::TheDrawing()).empty(), "a loaded drawing is consistent");
    qlhost::DrawingToSvg(HostSandbox::Work());
    const std::string json = qlhost::DrawingToJson(HostSandbox::Work());
    qlhost::TheDrawing().Reset();
    std::string error;
    Require(qlhost::ParseDrawingJson(json, HostSandbox::Work(), error), "a saved drawing loads again");
}

inline int DrawingJson(const uint8_t* data, size_t size) {
    HostSandbox host;
    std::string error;
    if (qlhost::ParseDrawingJson(Text(data, size), HostSandbox::Work(), error)) CheckLoadedDrawing();
    return 0;
}

// The input as a DXF file; inserts kept as symbol references or exploded, by the input's size.
inline int DrawingDxf(const uint8_t* data, size_t size) {
    HostSandbox host;
    const std::string path = WriteScratch("fuzz.dxf", data, size);
    qlhost::DxfImportOptions options;
    options.explodeInserts = size % 2 == 1;
    std::string error;
    if (qlhost::ImportDxf(path, HostSandbox::Work(), error, options)) CheckLoadedDrawing();
    return 0;
}

inline int ScenarioScript(const uint8_t* data, size_t size) {
    qlhost::Script script;
    std::string error;
    qlhost::ParseScript(Text(data, size), "fuzz.qls", script, error);
    return 0;
}

}  // namespace ql_fuzz
