// The part of the host's registry that the Windows build keeps on the real keys of
// HKEY_CURRENT_USER: the vendor branch Software\Tarnwell, where Corvane and the plug-in keep
// their settings. Keys elsewhere in the store stay in memory and in the registry file, as on
// Linux. Pure functions over RegistryStore, shared by the Windows host and its unit tests.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "host/platform/registry.h"

namespace qlhost::win {

inline constexpr char kRealBranch[] = "HKEY_CURRENT_USER\\Software\\Tarnwell";
inline constexpr char kRealRoot[] = "HKEY_CURRENT_USER\\";

// True for the branch key and every key below it (store paths, any case).
inline bool InRealBranch(const std::string& path) {
    const std::string branch = kRealBranch;
    if (path.size() < branch.size()) return false;
    for (size_t i = 0; i < branch.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[i])) !=
            std::tolower(static_cast<unsigned char>(branch[i])))
            return false;
    return path.size() == branch.size() || path[branch.size()] == '\\';
}

// "HKEY_CURRENT_USER\Software\Tarnwell\Quillet" -> "Software\Tarnwell\Quillet".
inline std::string SubKeyOf(const std::string& path) {
    return path.substr(sizeof kRealRoot - 1);
}

// One step that brings the real keys to the store's state. Paths are below HKEY_CURRENT_USER.
struct RegChange {
    enum class Kind { kDeleteTree, kCreateKey, kSetValue, kDeleteValue };
    Kind kind = Kind::kCreateKey;
    std::string subKey;
    std::string name;
    uint32_t type = 0;
    std::vector<unsigned char> data;

    static RegChange OnKey(Kind kind, const std::string& subKey) {
        return {kind, subKey, {}, 0, {}};
    }
    static RegChange OnValue(Kind kind, const std::string& subKey, const RegValue& v) {
        return {kind, subKey, v.name, v.type, v.data};
    }
};

// The steps that turn the branch as read from the real keys (real) into the branch of wanted:
// deletions first (a removed key once, with everything below it), then new keys and the
// values that are new or differ in type or bytes, in the store's order.
inline std::vector<RegChange> BranchChanges(const RegistryStore& real,
                                            const RegistryStore& wanted) {
    using Kind = RegChange::Kind;
    std::vector<RegChange> changes;
    for (const auto& [lower, key] : real.Keys()) {
        if (!InRealBranch(key.path)) continue;
        if (const RegKey* kept = wanted.Find(key.path)) {
            for (const RegValue& v : key.values)
                if (kept->Find(v.name) == nullptr)
                    changes.push_back(
                        RegChange::OnValue(Kind::kDeleteValue, SubKeyOf(key.path), v));
            continue;
        }
        const std::string parent = key.path.substr(0, key.path.rfind('\\'));
        if (!InRealBranch(parent) || wanted.Find(parent) != nullptr)
            changes.push_back(RegChange::OnKey(Kind::kDeleteTree, SubKeyOf(key.path)));
    }
    for (const auto& [lower, key] : wanted.Keys()) {
        if (!InRealBranch(key.path)) continue;
        const RegKey* had = real.Find(key.path);
        if (had == nullptr)
            changes.push_back(RegChange::OnKey(Kind::kCreateKey, SubKeyOf(key.path)));
        for (const RegValue& v : key.values) {
            const RegValue* old = had ? had->Find(v.name) : nullptr;
            if (old == nullptr || old->type != v.type || old->data != v.data)
                changes.push_back(RegChange::OnValue(Kind::kSetValue, SubKeyOf(key.path), v));
        }
    }
    return changes;
}

// The steps that clear the branch and write the store's branch anew, in the store's order.
inline std::vector<RegChange> RewriteBranch(const RegistryStore& wanted) {
    std::vector<RegChange> changes = {
        RegChange::OnKey(RegChange::Kind::kDeleteTree, SubKeyOf(kRealBranch))};
    std::vector<RegChange> writes = BranchChanges(RegistryStore(), wanted);
    changes.insert(changes.end(), writes.begin(), writes.end());
    return changes;
}

// Puts the branch as read from the real keys in place of the store's branch.
inline void ReplaceBranch(RegistryStore& store, const RegistryStore& real) {
    store.RemoveTree(kRealBranch);
    for (const auto& [lower, key] : real.Keys()) {
        if (!InRealBranch(key.path)) continue;
        RegKey& copy = store.Create(key.path);
        for (const RegValue& v : key.values) copy.Set(v.name, v.type, v.data);
    }
}

}  // namespace qlhost::win
