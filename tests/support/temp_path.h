// Scratch paths for tests. ctest runs every test case as its own process, several at a
// time, so a fixed name in the shared temporary folder would be written by one case while
// another reads it. Each process gets its own folder, made on first use.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace ql_test {

inline std::filesystem::path ProcessTempDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path d =
            std::filesystem::path(::testing::TempDir()) / ("quillet-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

inline std::string TempPath(const std::string& name) { return (ProcessTempDir() / name).string(); }

}  // namespace ql_test
