// The in-memory registry and its file.
#include "host/platform/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "host/io/safe_file.h"
#include "host/state/events.h"
#include "host/state/parts.h"
#ifdef _WIN32
#include "host/platform/registry_mirror.h"
#endif

namespace qlhost {
namespace {

const char* const kRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};
constexpr uintptr_t kFirstRoot = 0x80000000u;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::string DefaultFile() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
        return std::string(xdg) + "/qlhost/registry.reg";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.config/qlhost/registry.reg";
    return {};
}

struct RegistryState {
    std::string file = DefaultFile();
    bool loaded = false;
    bool persistent = true;  // false once the file could not be read or written
    RegistryStore store;
};

RegistryState& State() { return Part<RegistryState>(); }

void Load(RegistryState& s) {
    s.loaded = true;
    s.persistent = !s.file.empty();
    if (s.file.empty()) return;
    std::error_code ec;
    if (!std::filesystem::exists(s.file, ec)) return;
    std::ifstream in(s.file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!in.good() && !in.eof()) {
        error = s.file + ": cannot be read";
    } else if (ReadRegText(text.str(), s.file, s.store, error)) {
        return;
    }
    s.persistent = false;
    ScriptFault("registry file " + error + "; the registry is kept in memory only and the file is left unchanged");
}

}  // namespace

RegValue* RegKey::Find(const std::string& name) {
    for (auto& v : values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

const RegValue* RegKey::Find(const std::string& name) const { return const_cast<RegKey*>(this)->Find(name); }

void RegKey::Set(const std::string& name, uint32_t type, std::vector<unsigned char> data) {
    if (RegValue* v = Find(name)) {
        v->type = type;
        v->data = std::move(data);
        return;
    }
    values.push_back(RegValue{name, type, std::move(data)});
}

bool RegKey::Remove(const std::string& name) {
    auto it = std::find_if(values.begin(), values.end(), [&](const RegValue& v) { return SameName(v.name, name); });
    if (it == values.end()) return false;
    values.erase(it);
    return true;
}

std::string RegistryStore::Normalize(const std::string& path) {
    // A key line of the file cannot hold a line feed.
    if (path.find('\n') != std::string::npos) return {};
    std::string out;
    std::string part;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (!part.empty()) out += (out.empty() ? "" : "\\") + part;
            part.clear();
        } else {
            part += path[i];
        }
    }
    std::string root = out.substr(0, out.find('\\'));
    for (const char* name : kRootNames)
        if (SameName(root, name)) return name + out.substr(root.size());
    return {};
}

std::string RegistryStore::Join(const std::string& root, const std::string& sub) { return Normalize(root + "\\" + sub); }

RegKey* RegistryStore::Find(const std::string& path) {
    auto it = keys_.find(Lower(Normalize(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

const RegKey* RegistryStore::Find(const std::string& path) const { return const_cast<RegistryStore*>(this)->Find(path); }

RegKey& RegistryStore::Create(const std::string& path) {
    std::string full = Normalize(path);
    size_t pos = 0;
    RegKey* key = nullptr;
    while (true) {
        pos = full.find('\\', pos + 1);
        std::string prefix = full.substr(0, pos);
        auto [it, added] = keys_.try_emplace(Lower(prefix));
        if (added) it->second.path = prefix;
        key = &it->second;
        if (pos == std::string::npos) return *key;
    }
}

void RegistryStore::RemoveTree(const std::string& path) {
    std::string low = Lower(Normalize(path));
    if (low.empty()) return;
    for (auto it = keys_.begin(); it != keys_.end();) {
        bool below = it->first == low || it->first.compare(0, low.size() + 1, low + "\\") == 0;
        it = below ? keys_.erase(it) : std::next(it);
    }
}

std::string RootName(uintptr_t root) {
    uint32_t low = static_cast<uint32_t>(root);
    if (low < kFirstRoot || low >= kFirstRoot + std::size(kRootNames)) return {};
    return kRootNames[low - kFirstRoot];
}

RegistryStore& HostRegistry() {
    RegistryState& s = State();
#ifdef _WIN32
    // The Windows build keeps the settings branch on the real keys of HKEY_CURRENT_USER.
    if (s.loaded) {
        win::RegistryPull(s.store);
    } else {
        Load(s);
        win::RegistryLoaded(s.store);
    }
#else
    if (!s.loaded) Load(s);
#endif
    return s.store;
}

void SaveHostRegistry() {
    RegistryState& s = State();
#ifdef _WIN32
    if (s.loaded) win::RegistryPush(s.store);
#endif
    if (!s.loaded || !s.persistent) return;
    std::error_code ec;
    const std::filesystem::path file(s.file);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    std::string error;
    if (!WriteFileSafely(s.file, WriteRegText(s.store), error)) {
        s.persistent = false;
        ScriptFault("registry file " + error + "; the registry is kept in memory only");
    }
}

std::string RegistryFile() { return State().file; }

void SetRegistryFile(const std::string& path) {
    RegistryState& s = State();
    s.file = path;
    s.loaded = false;
    s.store.Clear();
}

bool RegistryLookup(const std::string& key, const std::string& value, std::vector<unsigned char>& data) {
    const RegKey* k = HostRegistry().Find(RegistryStore::Join("HKEY_CURRENT_USER", key));
    const RegValue* v = k ? k->Find(value) : nullptr;
    if (v == nullptr) return false;
    data = v->data;
    return true;
}

}  // namespace qlhost
