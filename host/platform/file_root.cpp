// Confinement of file names to one folder, for the browser and for the plug-in alike.
#include "host/platform/file_root.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

namespace fs = std::filesystem;

// This room's part of the host's state (host/state/parts.h).
struct FileRootState {
    std::string root;
};
FileRootState& Roots() { return Part<FileRootState>(); }

bool Inside(const fs::path& root, const fs::path& path) {
    auto r = root.begin(), p = path.begin();
    for (; r != root.end(); ++r, ++p) {
        if (r->empty() && std::next(r) == root.end()) break;  // a trailing separator of root
        if (p == path.end() || *p != *r) return false;
    }
    return true;
}

// A part of the path below root that starts with "." (".registry.reg", ".git/config").
bool Hidden(const fs::path& root, const fs::path& path) {
    for (const fs::path& part : path.lexically_relative(root)) {
        const std::string text = part.string();
        if (text.size() > 1 && text[0] == '.') return true;
    }
    return false;
}

// weakly_canonical follows the links that lead somewhere; a link left in the path points
// nowhere yet, and writing through it would create its target wherever that is.
bool ThroughDanglingLink(const fs::path& root, fs::path path) {
    std::error_code ec;
    for (; path != root && path.has_relative_path(); path = path.parent_path())
        if (fs::is_symlink(fs::symlink_status(path, ec))) return true;
    return false;
}

}  // namespace

bool ConfineToRoot(const std::string& root, const std::string& name, std::string& path, std::string& error) {
    if (name.empty() || name.find('\0') != std::string::npos) {
        error = "no file name";
        return false;
    }
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const fs::path given(slashed), base(root);
    std::error_code ec;
    const fs::path full = fs::weakly_canonical(given.is_absolute() ? given : base / given, ec);
    if (ec || !Inside(base, full)) {
        error = "the file " + name + " is outside the root folder";
        return false;
    }
    if (Hidden(base, full)) {
        error = "the file " + name + " is hidden";
        return false;
    }
    if (ThroughDanglingLink(base, full)) {
        error = "the file " + name + " is a link to nothing";
        return false;
    }
    path = full.string();
    return true;
}

void SetFileRoot(const std::string& canonicalRoot) { Roots().root = canonicalRoot; }
const std::string& FileRoot() { return Roots().root; }

bool ResolvePluginFile(const std::string& name, std::string& path) {
    if (Roots().root.empty()) {
        path = name;
        return true;
    }
    std::string error;
    if (ConfineToRoot(Roots().root, name, path, error)) return true;
    Transcript("file refused: " + error);
    return false;
}

}  // namespace qlhost
