// Looking up templates of parsed resource scripts, and reading included files.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/ui/rc.h"

namespace qlhost::rc {
namespace {

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

}  // namespace

const Control* Dialog::Find(int id) const {
    for (const Control& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

const Dialog* Document::Find(const std::string& name) const {
    if (name.size() > 1 && name[0] == '#') {
        int number = 0;
        auto r = std::from_chars(name.data() + 1, name.data() + name.size(), number);
        return r.ec == std::errc() && r.ptr == name.data() + name.size() ? Find(number) : nullptr;
    }
    for (const Dialog& d : dialogs)
        if (SameName(d.name, name)) return &d;
    return nullptr;
}

const Dialog* Document::Find(int number) const {
    for (const Dialog& d : dialogs)
        if (d.number == number) return &d;
    return nullptr;
}

IncludeReader FileIncludeReader() {
    return [](const std::string& name, const std::string& from, std::string& text, std::string& path) {
        namespace fs = std::filesystem;
        std::string local = name;
        std::replace(local.begin(), local.end(), '\\', '/');
        std::error_code ec;
        for (fs::path candidate : {fs::path(from).parent_path() / local, fs::path(local)}) {
            if (!fs::is_regular_file(candidate, ec)) continue;
            std::ifstream in(candidate, std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            if (!in.good() && !in.eof()) continue;
            text = s.str();
            path = candidate.string();
            return true;
        }
        return false;
    };
}

}  // namespace qlhost::rc
