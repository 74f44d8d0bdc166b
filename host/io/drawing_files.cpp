// Drawing files by extension: .json and .cv7 hold the JSON drawing format, .dxf goes
// through the DXF reader and writer.
#include <fstream>
#include <sstream>

#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "host/io/safe_file.h"

namespace qlhost {
namespace {

std::string Extension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return ext;
}

bool ReadWhole(const std::string& path, std::string& text, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    // Read straight into the text: a large drawing file is held once, not twice.
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        in.clear();
        std::ostringstream buffer;
        buffer << in.rdbuf();
        text = buffer.str();
        return true;
    }
    text.resize(static_cast<size_t>(size));
    in.read(text.data(), size);
    text.resize(static_cast<size_t>(in.gcount()));
    return true;
}

}  // namespace

bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
    return WriteFileSafely(path, text, error);
}

bool WriteStreamed(const std::string& path, const std::function<bool(const PieceWriter& write)>& produce,
                   std::string& error) {
    return WriteFileSafely(
        path, [&](const SafeWriteSink& sink) { return produce([&](const std::string& piece) { return sink(piece); }); },
        error);
}

bool LoadDrawingFile(const std::string& path, HostList& into, std::string& error) {
    return LoadDrawingFile(path, into, error, nullptr);
}

bool LoadDrawingFile(const std::string& path, HostList& into, std::string& error, std::string* warning) {
    if (warning) warning->clear();
    std::string ext = Extension(path);
    if (ext == "dxf") {
        DxfImportOptions options;
        options.warning = warning;
        return ImportDxf(path, into, error, options);
    }
    if (ext != "json" && ext != "cv7") {
        error = path + ": unknown drawing file type (use .json, .cv7 or .dxf)";
        return false;
    }
    std::string text;
    if (!ReadWhole(path, text, error)) return false;
    if (!ParseDrawingJson(text, into, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool ReplaceDrawing(const std::string& path, Drawing& drawing, std::string& error) {
    return ReplaceDrawing(path, drawing, error, nullptr);
}

bool ReplaceDrawing(const std::string& path, Drawing& drawing, std::string& error, std::string* warning) {
    SymbolDefinitions kept = SaveSymbolDefinitions();
    ClearSymbolDefinitions();
    Drawing loaded;
    if (!LoadDrawingFile(path, *loaded.work, error, warning)) {
        RestoreSymbolDefinitions(std::move(kept));
        return false;
    }
    drawing.TakeOver(loaded);
    return true;
}

bool SaveDrawingFile(const std::string& path, const HostList& list, std::string& error) {
    std::string ext = Extension(path);
    if (ext == "dxf") return ExportDxf(path, list, error);
    if (ext != "json" && ext != "cv7") {
        error = path + ": unknown drawing file type (use .json, .cv7 or .dxf)";
        return false;
    }
    return WriteStreamed(path, [&](const PieceWriter& write) { return WriteDrawingJson(list, write); }, error);
}

}  // namespace qlhost
