// Drawing files of the reference host: the JSON drawing format (.json, .cv7), DXF import and
// export, and SVG pictures of a drawing list or of a preview frame. Every function returns
// false with a one-line error naming the file (and the entity index for bad entities);
// none of them throws or crashes on bad input.
#pragma once

#include <functional>
#include <string>

#include "host/drawing/drawing.h"

namespace qlhost {

// Loads a drawing file by extension: .json and .cv7 (JSON drawing format), .dxf (DXF).
// Entities are appended to into; the file's layers are merged into the drawing's layer table
// and, when into is the drawing's working list, its current layer becomes current.
bool LoadDrawingFile(const std::string& path, HostList& into, std::string& error);
// As above; warning (DXF files) names what the file holds that the host could not take.
bool LoadDrawingFile(const std::string& path, HostList& into, std::string& error, std::string* warning);
// Makes a drawing file the drawing (a new drawing read from the file, as a script's `load`).
// The file is read into a drawing of its own first: a file that is refused (missing, broken,
// expanding too far) leaves the drawing and the symbol definitions as they were.
bool ReplaceDrawing(const std::string& path, Drawing& drawing, std::string& error);
bool ReplaceDrawing(const std::string& path, Drawing& drawing, std::string& error, std::string* warning);
// Saves a list by extension: .json and .cv7 (JSON drawing format), .dxf (DXF export).
bool SaveDrawingFile(const std::string& path, const HostList& list, std::string& error);

// Writes a whole file through WriteFileSafely (host/io/safe_file.h): a failed save leaves the
// old file as it was.
bool WriteWhole(const std::string& path, const std::string& text, std::string& error);
// Writes a file from text the producer hands to write(piece) one piece after another, so a
// large drawing is never held as one text; the producer returns false when a write failed.
using PieceWriter = std::function<bool(const std::string& piece)>;
bool WriteStreamed(const std::string& path, const std::function<bool(const PieceWriter& write)>& produce,
                   std::string& error);

// The JSON drawing format as text (docs/drawing-format.md).
bool ParseDrawingJson(const std::string& text, HostList& into, std::string& error);
std::string DrawingToJson(const HostList& list);
// The same text handed to write(piece) in pieces of about a megabyte; false when a write failed.
bool WriteDrawingJson(const HostList& list, const std::function<bool(const std::string& piece)>& write);

// DXF through dxflib. Inserts become symbol references with their block's entities as
// members, or, exploded, the block's entities placed in the drawing.
struct DxfImportOptions {
    bool explodeInserts = false;
    // Set (when given) to one line naming the entities the host could not take, counted by
    // type ("FILE: entities the host cannot hold were left out: 2 SPLINE, 1 LEADER"), or
    // cleared when every entity was taken.
    std::string* warning = nullptr;
};
bool ImportDxf(const std::string& path, HostList& into, std::string& error);
bool ImportDxf(const std::string& path, HostList& into, std::string& error, const DxfImportOptions& options);
bool ExportDxf(const std::string& path, const HostList& list, std::string& error);

// SVG picture of a list (layers as groups, hidden layers left out, y axis up).
struct SvgOptions {
    // Selected entities (and, with highlightMarked, those EMark highlights) inside
    // <g class="ql-selected"> groups, which the page colours; their own colours stay, so the
    // picture without the page's style shows no highlight.
    bool highlightSelected = false;
    bool highlightMarked = true;
    double margin = 0.05;            // fraction of the larger extent added around the drawing
};
bool WriteSvg(const std::string& path, const HostList& list, std::string& error);
std::string DrawingToSvg(const HostList& list, const SvgOptions& options = {});


}  // namespace qlhost
