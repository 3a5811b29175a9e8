// Runs every file of a fuzz target's seed corpus through the target's own entry function, as
// a plain test of the normal build. The build names the corpus folder (FUZZ_CORPUS_DIR) and
// the test suite (FUZZ_CORPUS_SUITE) and links the target's source beside this file.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_CORPUS_DIR, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class FUZZ_CORPUS_SUITE : public ::testing::TestWithParam<std::string> {};

}  // namespace

// Example failure: an input that once crashed the fuzzer (or broke the target's contract)
// crashes or aborts again.
TEST_P(FUZZ_CORPUS_SUITE, RunsCleanly)
{
    std::ifstream in(std::filesystem::path(FUZZ_CORPUS_DIR) / GetParam(), std::ios::binary);
    ASSERT_TRUE(in) << GetParam();
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, FUZZ_CORPUS_SUITE, ::testing::ValuesIn(CorpusFiles()), TestName);
