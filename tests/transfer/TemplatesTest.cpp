// The shipped header templates: installed when missing, never over the user's own.
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/TestSupport.h"
#include "transfer/Templates.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace tolv::exchange;

TEST(DefaultTemplates, InstalledWhenMissingWithTheirFieldCounts)
{
    tolvtest::TempTree tree;
    const fs::path ctl = ctlDir();
    fs::create_directories(ctl);
    tolvtest::writeBytes(ctl / "scmswimmerdt.w", "\"mine\"\r\n"); // the user's, in another letter case
    installDefaultTemplates(ctl);

    const std::pair<const char*, std::size_t> shipped[] = {
        {"teamdt.w", 85},    {"RELAYENT.w", 16},   {"RIZARUTO.w", 13},   {"tolvzep.w", 43},
        {"KumaInd.csv", 37}, {"SeikoRly.csv", 13}, {"SeikoInd.csv", 37},
    };
    for (const auto& [name, count] : shipped) {
        const std::string bytes = tolvtest::readBytes(ctl / name);
        ASSERT_TRUE(isValidCp932(bytes)) << name;
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name;
        EXPECT_EQ(parseControlFields(fromCp932(bytes)).size(), count) << name;
    }
    // One relay template serves both spellings.
    EXPECT_EQ(readTemplate(ctl, "seikoRly.csv", 13), readTemplate(ctl, "SeikoRly.csv", 13));
    // The user's template stays, and no second one appears beside it.
    EXPECT_EQ(tolvtest::readBytes(ctl / "scmswimmerdt.w"), "\"mine\"\r\n");
    EXPECT_EQ(tolvtest::namesLike(ctl, "ScmSwimmerdt.w"), std::vector<std::string>{"scmswimmerdt.w"});
    EXPECT_THROW(readTemplate(ctl, "ScmSwimmerdt.w", 51), TolvError);
}
