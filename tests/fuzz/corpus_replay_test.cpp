// Every committed fuzz input, replayed through the entry its fuzzer uses, so
// that a crash once found stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/fuzz/fuzz_entries.h"

namespace rx::fuzz {
namespace {

struct Target {
    const char* folder;
    std::string (*feed)(std::string_view);
};

class FuzzCorpus : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzCorpus, EveryInputIsHandled) {
    const std::filesystem::path folder =
        std::filesystem::path(RX_FUZZ_CORPUS_DIR) / GetParam().folder;
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(GetParam().feed(bytes), "") << entry.path().filename();
        ++files;
    }
    EXPECT_GT(files, 0u);
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus,
                         ::testing::Values(Target{"statement", feedStatement},
                                           Target{"connection_text", feedConnectionText},
                                           Target{"gb18030", feedGb18030}),
                         [](const auto& p) { return std::string(p.param.folder); });

}  // namespace
}  // namespace rx::fuzz
