// A folder of the benchmark run's own for the files it writes, removed when the program ends
// (a million-entity drawing is over 100 MB; runs must not leave them behind).
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace bench {

inline const std::filesystem::path& ScratchDir(const std::string& prefix) {
    struct Dir {
        std::filesystem::path path;
        explicit Dir(const std::string& prefix)
            : path(std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(::getpid()))) {
            std::filesystem::create_directories(path);
        }
        ~Dir() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Dir dir(prefix);
    return dir.path;
}

}  // namespace bench
