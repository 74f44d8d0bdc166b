// Finding and parsing the resource scripts of a module.
#include "host/ui/resources.h"

#ifdef _WIN32
#include "host/platform/dl_shim.h"
#include "host/ui/native_resources.h"
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/state/parts.h"
#include "host/ui/env.h"

namespace qlhost {
namespace {

namespace fs = std::filesystem;

// This room's part of the host's state (host/state/parts.h): resource folders set for modules.
struct OverridesPart {
    std::map<HINSTANCE, std::string> map;
};
std::map<HINSTANCE, std::string>& Overrides() { return Part<OverridesPart>().map; }

std::map<std::string, std::shared_ptr<const ResourceFolder>>& Cache() {
    static std::map<std::string, std::shared_ptr<const ResourceFolder>> cache;
    return cache;
}

bool ReadText(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    return !in.bad();
}

// The file of the loaded object (library or executable) that contains address.
std::string ModuleFile(const void* address) {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
    std::string file = info.dli_fname;  // the Windows build's name lasts only until the next dladdr
    Dl_info self{};
    // The executable reports the name it was started by; its own link is exact.
    if (dladdr(reinterpret_cast<const void*>(&ModuleFile), &self) != 0 && self.dli_fbase == info.dli_fbase) {
        std::error_code ec;
        fs::path exe = fs::read_symlink("/proc/self/exe", ec);
        if (!ec) return exe.string();
    }
    return file;
}

std::shared_ptr<const ResourceFolder> Load(const std::string& folder) {
    auto result = std::make_shared<ResourceFolder>();
    result->path = folder;
    std::vector<fs::path> headers, scripts;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".h") headers.push_back(entry.path());
        if (ext == ".rc") scripts.push_back(entry.path());
    }
    std::sort(headers.begin(), headers.end());
    std::sort(scripts.begin(), scripts.end());
    rc::Defines ids;
    std::vector<std::string> faults;
    for (const fs::path& file : headers) {
        std::string text, error;
        rc::Document ignored;
        if (!ReadText(file, text)) faults.push_back(file.string() + ": cannot be read");
        else if (!rc::Parse(text, file.string(), ignored, error, rc::FileIncludeReader(), &ids)) faults.push_back(error);
    }
    for (const fs::path& file : scripts) {
        std::string text, error;
        rc::Defines defines = ids;
        rc::Document doc;
        if (!ReadText(file, text)) {
            faults.push_back(file.string() + ": cannot be read");
            continue;
        }
        if (!rc::Parse(text, file.string(), doc, error, rc::FileIncludeReader(), &defines)) {
            faults.push_back(error);
            continue;
        }
        for (rc::Dialog& d : doc.dialogs) {
            if (const rc::Dialog* twin = result->doc.Find(d.name)) {
                faults.push_back(d.file + ":" + std::to_string(d.line) + ": dialog " + d.name + " is also defined at " +
                                 twin->file + ":" + std::to_string(twin->line));
                continue;
            }
            result->doc.dialogs.push_back(std::move(d));
        }
    }
    for (const std::string& fault : faults) ScriptFault("dialog templates: " + fault);
    return result;
}

#ifdef _WIN32
// The Windows build reads the templates compiled into the module, as Windows shows them.
std::shared_ptr<const ResourceFolder> LoadModule(const void* address, const std::string& file, std::string& error) {
    auto result = std::make_shared<ResourceFolder>();
    result->path = file;
    std::vector<std::string> faults;
    if (!win::ReadModuleDialogs(address, file, result->doc, faults, error)) return nullptr;
    for (const std::string& fault : faults) ScriptFault("dialog templates: " + fault);
    return result;
}
#endif

}  // namespace

std::shared_ptr<const ResourceFolder> ResourcesOf(HINSTANCE instance, std::string& error) {
    std::string folder;
    if (auto it = Overrides().find(instance); it != Overrides().end()) {
        folder = it->second;
    } else {
        // A null instance is the host's own module, as for the Windows resource calls.
        const void* address = instance ? static_cast<const void*>(instance) : reinterpret_cast<const void*>(&ModuleFile);
        std::string file = ModuleFile(address);
        if (file.empty()) {
            error = "the module instance is not a loaded library";
            return nullptr;
        }
#ifdef _WIN32
        auto& cached = Cache()[file];
        if (!cached) cached = LoadModule(address, file, error);
        return cached;
#endif
        folder = (fs::path(file).parent_path() / "resources").string();
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "there is no resources folder " + folder;
        return nullptr;
    }
    auto& cached = Cache()[folder];
    if (!cached) cached = Load(folder);
    return cached;
}

void SetResourceFolder(HINSTANCE instance, const std::string& folder) { Overrides()[instance] = folder; }

void ClearResourceCache() { Cache().clear(); }

}  // namespace qlhost
