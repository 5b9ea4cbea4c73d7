// Every input a fuzz target once failed on, kept under fuzz-inputs/<target>/, fed again through that
// target's own code: a crash, a sanitizer finding, an exception other than the reader's refusal or
// a refused input that changed a file (the targets abort then) fails this test.
#include "FuzzSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

TEST(FuzzInputs, EveryKeptInputIsReadOrRefused)
{
    const fs::path root = fs::path(TOLV_TEST_DIR) / "fuzz-inputs";
    std::set<std::string> fed;
    for (const auto& folder : fs::directory_iterator(root)) {
        const std::string target = folder.path().filename().string();
        const auto fn = tolvfuzz::targets().find(target);
        ASSERT_NE(fn, tolvfuzz::targets().end()) << "no fuzz target " << target;
        for (const auto& file : fs::directory_iterator(folder.path())) {
            SCOPED_TRACE(file.path().string());
            std::ifstream in(file.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            EXPECT_EQ(fn->second(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
            fed.insert(target);
        }
    }
    EXPECT_FALSE(fed.empty());
}
