// The host's registry branch on the real keys of HKEY_CURRENT_USER (advapi32).
#define NOMINMAX
#include "host/win/native_registry.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qlhost::win {
namespace {

// Closes the key when the scope ends.
class OpenKey {
public:
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::string Failure(const std::string& what, const std::string& subKey, LSTATUS code) {
    return what + " HKEY_CURRENT_USER\\" + subKey + " failed (error " + std::to_string(code) + ")";
}

bool ReadValues(HKEY key, RegKey& into, const std::string& subKey, std::string& error) {
    constexpr size_t kLongestName = 16384;  // the registry's limit for value names, with the end
    std::vector<char> name(256);
    std::vector<BYTE> data(1024);
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LSTATUS rc = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                         data.data(), &dataLength);
        if (rc == ERROR_NO_MORE_ITEMS) return true;
        if (rc == ERROR_MORE_DATA && (name.size() < kLongestName || data.size() < dataLength)) {
            // Which of the two is short is not reported: the name gets the longest room.
            name.resize(kLongestName);
            data.resize(std::max<size_t>(data.size(), dataLength));
            continue;
        }
        if (rc != ERROR_SUCCESS) {
            error = Failure("reading the values of", subKey, rc);
            return false;
        }
        into.Set(std::string(name.data(), nameLength), type,
                 std::vector<unsigned char>(data.begin(), data.begin() + dataLength));
        ++index;
    }
}

bool ReadKey(HKEY key, const std::string& subKey, RegistryStore& real, std::string& error) {
    if (!ReadValues(key, real.Create(kRealRoot + subKey), subKey, error)) return false;
    std::vector<std::string> children;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LSTATUS rc =
            RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            error = Failure("listing the keys of", subKey, rc);
            return false;
        }
        children.emplace_back(name, length);
    }
    for (const std::string& child : children) {
        const std::string path = subKey + "\\" + child;
        OpenKey open;
        const LSTATUS rc = RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, open.Out());
        if (rc != ERROR_SUCCESS) {
            error = Failure("opening", path, rc);
            return false;
        }
        if (!ReadKey(open.Get(), path, real, error)) return false;
    }
    return true;
}

LSTATUS Apply(const RegChange& change) {
    using Kind = RegChange::Kind;
    const char* subKey = change.subKey.c_str();
    if (change.kind == Kind::kDeleteTree) {
        const LSTATUS rc = RegDeleteTreeA(HKEY_CURRENT_USER, subKey);
        return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
    }
    OpenKey key;
    LSTATUS rc =
        change.kind == Kind::kDeleteValue
            ? RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_SET_VALUE, key.Out())
            : RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, key.Out(), nullptr);
    if (rc != ERROR_SUCCESS)
        return change.kind == Kind::kDeleteValue && rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
    if (change.kind == Kind::kSetValue) {
        static const BYTE kNoData = 0;
        const BYTE* data = change.data.empty() ? &kNoData : change.data.data();
        rc = RegSetValueExA(key.Get(), change.name.c_str(), 0, change.type, data,
                            static_cast<DWORD>(change.data.size()));
    } else if (change.kind == Kind::kDeleteValue) {
        rc = RegDeleteValueA(key.Get(), change.name.c_str());
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    }
    return rc;
}

}  // namespace

bool ReadRealBranch(RegistryStore& real, std::string& error) {
    const std::string subKey = SubKeyOf(kRealBranch);
    OpenKey key;
    const LSTATUS rc = RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, key.Out());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) {
        error = Failure("opening", subKey, rc);
        return false;
    }
    return ReadKey(key.Get(), subKey, real, error);
}

bool ApplyRealChanges(const std::vector<RegChange>& changes, std::string& error) {
    static const char* const kWhat[] = {"deleting", "creating", "setting a value of",
                                        "deleting a value of"};
    for (const RegChange& change : changes) {
        const LSTATUS rc = Apply(change);
        if (rc != ERROR_SUCCESS) {
            error = Failure(kWhat[static_cast<int>(change.kind)], change.subKey, rc);
            return false;
        }
    }
    return true;
}

}  // namespace qlhost::win
