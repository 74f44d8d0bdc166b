// Runs every fuzz target over its seed corpus (fuzz/corpus/<target>/) and over the inputs
// that once crashed it (tests/data/fuzz-regressions/<target>/), in the normal build: none of
// them may crash, trip a sanitizer or break a target's checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/targets.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzReplay : public ::testing::TestWithParam<ql_fuzz::Target> {};

TEST_P(FuzzReplay, SeedsAndRegressionsRunCleanly) {
    const ql_fuzz::Target& target = GetParam();
    const fs::path root(QL_SOURCE_DIR);
    const std::vector<fs::path> seeds = InputsOf(root / "fuzz" / "corpus" / target.name);
    EXPECT_FALSE(seeds.empty()) << "no seed corpus for " << target.name;
    std::vector<fs::path> inputs = seeds;
    for (const fs::path& p : InputsOf(root / "tests" / "data" / "fuzz-regressions" / target.name))
        inputs.push_back(p);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::vector<uint8_t> bytes = ReadBytes(input);
        EXPECT_EQ(target.proc(bytes.data(), bytes.size()), 0);
    }
}

// An empty input and a lone byte are the smallest a fuzzer hands over.
TEST_P(FuzzReplay, TinyInputsRunCleanly) {
    const ql_fuzz::Target& target = GetParam();
    const uint8_t byte = 0xFF;
    EXPECT_EQ(target.proc(nullptr, 0), 0);
    EXPECT_EQ(target.proc(&byte, 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(ql_fuzz::kTargets),
                         [](const ::testing::TestParamInfo<ql_fuzz::Target>& info) { return std::string(info.param.name); });

}  // namespace
