// Files of the reference host: the user and host data folders, FullFileName, LoadFile and
// the host blocks it hands out.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_set>

#include "host/platform/file_root.h"
#include "host/platform/system.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

namespace fs = std::filesystem;

// This room's part of the host's state (host/state/parts.h).
struct FilesState {
    std::string userDir = ".";
    std::string hostDataDir = "hostdata";
    std::unordered_set<void*> blocks;
};
FilesState& Files() { return Part<FilesState>(); }

// Larger files are not plausible plug-in inputs (fonts, PAT files, menus).
constexpr std::uintmax_t kMaxLoadFile = 64u * 1024 * 1024;

// Joined with a forward slash on every system, so names read the same wherever they are shown.
std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    return (fs::path(dir) / name).generic_string();
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

// A font of the host's own data: with a file root set, only inside the fonts folder.
std::string HostFont(const std::string& fonts, const std::string& name) {
    if (FileRoot().empty()) return IsFile(Join(fonts, name)) ? Join(fonts, name) : std::string();
    std::error_code error;
    const std::string folder = fs::weakly_canonical(fonts, error).string();
    std::string path, refused;
    if (error || !ConfineToRoot(folder, name, path, refused) || !IsFile(path)) return {};
    return path;
}

}  // namespace

void SetUserDir(const std::string& dir) { Files().userDir = dir.empty() ? "." : dir; }
const std::string& UserDir() { return Files().userDir; }
void SetHostDataDir(const std::string& dir) { Files().hostDataDir = dir; }
const std::string& HostDataDir() { return Files().hostDataDir; }

std::string FullName(const std::string& name) {
    if (!name.empty() && name[0] == '#') return Join(Files().userDir, name.substr(1));
    return name;
}

std::string OpenableName(const std::string& name) {
    std::string path;
    return ResolvePluginFile(FullName(name), path) ? path : std::string();
}

std::string FindLoadFile(const std::string& name) {
    if (name.empty()) return {};
    std::string path;
    if (name[0] != '#') return ResolvePluginFile(name, path) && IsFile(path) ? path : std::string();
    const std::string bare = name.substr(1);
    if (bare.empty()) return {};
    if (ResolvePluginFile(Join(Files().userDir, bare), path) && IsFile(path)) return path;
    const std::string fonts = Join(Files().hostDataDir, "fonts");
    for (const std::string& candidate : {bare, bare + ".fnt"})
        if (std::string font = HostFont(fonts, candidate); !font.empty()) return font;
    return {};
}

bool LoadHostFile(const char* name, char** text, uint32_t* size) {
    if (!name || !text || !size) return false;
    const std::string path = FindLoadFile(name);
    if (path.empty()) return false;
    std::error_code error;
    const std::uintmax_t length = fs::file_size(path, error);
    if (error || length > kMaxLoadFile) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char* block = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!block) return false;
    in.read(block, static_cast<std::streamsize>(length));
    if (static_cast<std::uintmax_t>(in.gcount()) != length) {
        std::free(block);
        return false;
    }
    block[length] = '\0';
    Files().blocks.insert(block);
    *text = block;
    *size = static_cast<uint32_t>(length);
    return true;
}

bool ReleaseHostBlock(void* block) {
    if (!block) return true;
    auto it = Files().blocks.find(block);
    if (it == Files().blocks.end()) return false;
    Files().blocks.erase(it);
    std::free(block);
    return true;
}

size_t LiveHostBlocks() { return Files().blocks.size(); }

void ReleaseAllHostBlocks() {
    for (void* block : Files().blocks) std::free(block);
    Files().blocks.clear();
}

}  // namespace qlhost
