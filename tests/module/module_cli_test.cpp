// The `vorlane` command line over the built module, run in-process with its output captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_run.h"

namespace vorlane::host::test {
namespace {

std::size_t lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(Cli, AboutShowsTheTextWithItsCarriageReturnsAsLineBreaks) {
    const CliRun run = run_vorlane({"--module", VORLANE_MODULE_PATH, "about"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find('\r'), std::string::npos);
    EXPECT_NE(run.out.find(" - v1.0\n\nAnimate sprites along paths."), std::string::npos) << run.out;
}

TEST(Cli, ParamsListsAHeaderAndFortyOneParametersAndPiplTwelveProperties) {
    const CliRun params = run_vorlane({"--module", VORLANE_MODULE_PATH, "params"});
    EXPECT_EQ(params.status, 0) << params.err;
    EXPECT_EQ(lines(params.out), 45u) << "header, 41 rows, a blank line and the legend of the flags";
    EXPECT_NE(params.out.find("Time Offset Randomness (frames)"), std::string::npos);
    EXPECT_NE(params.out.find("flags: SUP "), std::string::npos);

    const CliRun pipl = run_vorlane({"--module", VORLANE_MODULE_PATH, "pipl"});
    EXPECT_EQ(pipl.status, 0) << pipl.err;
    EXPECT_EQ(lines(pipl.out), 12u);
    EXPECT_NE(pipl.out.find("eMNA  ADBE Vorlane\n"), std::string::npos) << pipl.out;
}

TEST(Cli, AModuleThatCannotBeUsedFailsWithOneClearLine) {
    for (const char* path : {"/nonexistent", VORLANE_NO_ENTRY_MODULE_PATH}) {
        const CliRun run = run_vorlane({"--module", path, "about"});
        EXPECT_NE(run.status, 0) << path;
        EXPECT_TRUE(run.out.empty()) << path;
        EXPECT_EQ(lines(run.err), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("vorlane: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace vorlane::host::test
