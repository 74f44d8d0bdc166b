// Parts: PartLoad reads a drawing file into a new temporary list; PartInsert copies a part's
// entities into a list through a matrix, each marked and drawn.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/io/drawing_io.h"
#include "host/platform/file_root.h"
#include "host/platform/system.h"
#include "host/state/events.h"

namespace qlhost {
namespace {

// A candidate file of a part, confined to the file root when one is set.
bool Exists(const std::string& candidate, std::string& path) {
    std::error_code error;
    return ResolvePluginFile(candidate, path) && std::filesystem::is_regular_file(path, error);
}

// The file of a part name: as given ("#name" in the user folder), with Windows separators,
// or with its extension in lower case (part names often end in ".CV7").
std::string PartPath(const std::string& name) {
    std::string path = FullName(name), found;
    if (Exists(path, found)) return found;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path != FullName(name) && Exists(path, found)) return found;
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string given = path;
        std::transform(path.begin() + static_cast<std::ptrdiff_t>(dot), path.end(),
                       path.begin() + static_cast<std::ptrdiff_t>(dot),
                       [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
        if (path != given && Exists(path, found)) return found;
    }
    return {};
}

}  // namespace

DList* LoadPart(const char* name) {
    if (!name || !*name) return nullptr;
    const std::string path = PartPath(name);
    if (path.empty()) {
        Transcript(std::string("part not found: ") + name);
        return nullptr;
    }
    Drawing& drawing = TheDrawing();
    HostList* part = drawing.CreateTemporary(name, 0);
    std::string error;
    if (!LoadDrawingFile(path, *part, error)) {
        Transcript("part not loaded: " + error);
        drawing.ReleaseTemporary(part);
        return nullptr;
    }
    Transcript("part loaded: " + std::string(name));
    return part;
}

int InsertPart(DList* partList, DList* targetList, const double* matrix, DList* owner) {
    HostList* part = ListOf(partList);
    HostList* target = ListOf(targetList);
    if (!part || !target || (owner && !ListOf(owner))) {
        ScriptFault("PartInsert: not a drawing list");
        return 0;
    }
    // Collected first: the part may be the target itself.
    std::vector<Node*> sources;
    for (Node* node = part->head; node; node = node->next)
        if (!node->deleted()) sources.push_back(node);
    for (Node* source : sources) {
        EntRec* copy = target->ops->CopyEntity(target, source->record());
        if (!copy) continue;
        copy = ETran(copy, matrix);
        if (!copy) continue;
        target->ops->MarkEntity(target, copy);
        EDraw(0, copy);
    }
    return 1;
}

}  // namespace qlhost
