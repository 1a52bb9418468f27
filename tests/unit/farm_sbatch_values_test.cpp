// What may stand bare in an #SBATCH line: sbatch splits those lines at any white space, so each kind of value is
// held to the characters it can have, and a job's name made from a file's name is made fit rather than refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "farm/SbatchValues.h"

namespace vorlane::host {
namespace {

using namespace std::string_literals;

// Every control character and every character the shell or sbatch gives a meaning, in a value that is otherwise
// fine: none may pass, a vertical tab and a form feed above all.
std::vector<std::string> spoiled(const std::string& fine) {
    std::vector<std::string> values;
    for (int c = 1; c < 0x20; ++c) {
        values.push_back(fine + static_cast<char>(c) + "--bogus=1");
    }
    for (const char c : " \"'`$;&|<>()*?[]{}!\\%\x7f\xc3"s) {
        values.push_back(fine + c + "x");
    }
    values.push_back("");
    return values;
}

TEST(SbatchValues, PartitionsTimesAndPathsTakeOnlyTheirOwnCharacters) {
    struct Kind {
        const char* name;
        bool (*allowed)(const std::string&);
        std::vector<std::string> good;
    };
    const std::vector<Kind> kinds = {
        {"partition", is_partition_value, {"render", "gpu-a100", "batch_2", "short,long", "v1.2"}},
        {"time", is_time_value, {"90", "2:00:00", "1-12", "1-12:30:00", "UNLIMITED", "infinite"}},
        {"path", is_sbatch_path, {"/shared/shot.farm", "/a/b_c-d.e+f,g=h@i~j:k", "relative/x"}},
    };
    for (const Kind& kind : kinds) {
        for (const std::string& value : kind.good) {
            EXPECT_TRUE(kind.allowed(value)) << kind.name << " " << value;
        }
        for (const std::string& value : spoiled(kind.good.front())) {
            EXPECT_FALSE(kind.allowed(value)) << kind.name << " " << value;
        }
    }
    EXPECT_FALSE(is_time_value("2 days"));
    EXPECT_FALSE(is_time_value("2h"));
    // A sequence's farm folder holds its pattern's '#', which the line escapes; no other value needs one.
    EXPECT_TRUE(is_sbatch_path("/shots/g_####.png.farm"));
    EXPECT_EQ(sbatch_escaped("/shots/g_##.png.farm/x"), "/shots/g_\\#\\#.png.farm/x");
    EXPECT_FALSE(is_partition_value("a#b"));
    EXPECT_FALSE(is_time_value("1#2"));
}

TEST(SbatchValues, AJobNameFromAFileNameKeepsWhatItCanAndMakesTheRest_) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"vorlane-garden", "vorlane-garden"},
        {"vorlane-shot 1 (final)", "vorlane-shot_1__final_"},
        {"vorlane-a\vb\fc\td", "vorlane-a_b_c_d"},
        {"vorlane-caf\xc3\xa9", "vorlane-caf__"},
        {"vorlane-x\n#SBATCH --bogus", "vorlane-x__SBATCH_--bogus"},
    };
    for (const auto& [from, name] : cases) {
        EXPECT_EQ(sbatch_job_name(from), name) << from;
        EXPECT_TRUE(is_partition_value(sbatch_job_name(from))) << "a job name holds no more than a partition's name";
    }
}

}  // namespace
}  // namespace vorlane::host
