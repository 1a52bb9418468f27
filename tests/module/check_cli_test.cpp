// What a user sees on the command line before any frame: warnings for renders that draw less than meant, `check`,
// --quiet, the one-line errors for input the host refuses, and the panel of `params` over a scene.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "pixels/Png.h"
#include "support/cli_run.h"
#include "support/test_folder.h"

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

std::size_t warning_count(const CliRun& run) {
    std::size_t count = 0;
    for (std::size_t at = run.err.find("vorlane: warning: "); at != std::string::npos;
         at = run.err.find("vorlane: warning: ", at + 1)) {
        ++count;
    }
    return count;
}

// Two masks, two built-in layers sharing the spots half and half: a scene that draws what it says.
constexpr const char* kMasks = R"("effect_layer": {"masks": [{"svg": "M 10 30 L 90 30"}, {"svg": "M 10 50 L 90 50"}]})";
constexpr const char* kLayers =
    R"("layers": [{"builtin": "blob", "width": 10, "height": 10}, {"builtin": "star", "width": 12, "height": 12}])";
constexpr const char* kParams = R"("Layers": 2, "Frequency 1": 50, "Frequency 2": 50, "Path Selection": 1)";

class CheckCli : public ::testing::Test {
  protected:
    CheckCli() : dir(test_folder("vorlane_check_")) { fs::create_directories(dir); }
    ~CheckCli() override { fs::remove_all(dir); }

    std::string scene(const std::string& masks, const std::string& layers, const std::string& params,
                      const std::string& extra = "") {
        const fs::path file = dir / ("scene" + std::to_string(++count) + ".json");
        std::ofstream(file) << R"({"comp": {"width": 100, "height": 60, "duration_frames": 12})"
                            << (masks.empty() ? "" : ", " + masks) << (layers.empty() ? "" : ", " + layers)
                            << R"(, "params": {)" << params << "}" << extra << "}";
        return file.string();
    }
    std::string clean() { return scene(kMasks, kLayers, kParams); }

    fs::path dir;
    int count = 0;
};

TEST_F(CheckCli, ACleanSceneChecksWithoutAWordAndRendersQuietly) {
    const CliRun check = vorlane({"check", clean()});
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.err, "");
    EXPECT_NE(check.out.find("no errors, no warnings"), std::string::npos) << check.out;

    const CliRun quiet = vorlane({"render", clean(), "--frames", "0-1", "--out", (dir / "q").string(), "--quiet"});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out + quiet.err, "") << "--quiet prints nothing on success";
    EXPECT_TRUE(fs::exists(dir / "q" / "frame_0001.png"));
}

TEST_F(CheckCli, EachWarningHasASceneThatTriggersItAndOneThatDoesNot) {
    struct Case {
        std::string name, warned, fine, words;
    };
    const std::string layer_3 = R"(, {"builtin": "blob", "width": 8, "height": 8})";
    const std::string layers_3 = std::string(kLayers).substr(0, std::string(kLayers).size() - 1) + layer_3 + "]";
    const Case cases[] = {
        {"no masks", scene("", kLayers, R"("Layers": 2, "Frequency 1": 50, "Frequency 2": 50)"), clean(),
         "the effect layer has no masks"},
        {"no mask selected", scene(kMasks, kLayers, R"("Layers": 2, "Frequency 1": 50, "Frequency 2": 50)"),
         scene(kMasks, kLayers, std::string(kParams) + R"(, "Use All Paths": true)"), "no mask is selected"},
        {"slot without a layer",
         scene(kMasks, kLayers,
               R"("Layers": 3, "Path Selection": 1, )"
               R"("Frequency 1": 20, "Frequency 2": 30, "Frequency 3": 50)"),
         scene(kMasks, layers_3,
               R"("Layers": 3, "Path Selection": 1, )"
               R"("Frequency 1": 20, "Frequency 2": 30, "Frequency 3": 50)"),
         "\"Layer 3\" is in use (\"Layers\" 3) but the scene gives no layer for it: about 50% of the spots"},
        {"frequencies short of 100",
         scene(kMasks, kLayers, R"("Layers": 2, "Frequency 1": 70, "Frequency 2": 10, "Path Selection": 1)"), clean(),
         "\"Frequency 1\" to \"Frequency 2\" add up to 80%: about 20% of the spots stay empty"},
        {"frequencies beyond 100",
         scene(kMasks, kLayers, R"("Layers": 2, "Frequency 1": 100, "Frequency 2": 100, "Path Selection": 1)"), clean(),
         "so it gets 0% rather than its 100%"},
        {"keyframes beyond the slider",
         scene(kMasks, kLayers, std::string(kParams) + R"(, "Evolution": [[0, 5], [10, 150]])"),
         scene(kMasks, kLayers, std::string(kParams) + R"(, "Evolution": [[0, 5], [10, 100]])"),
         "\"Evolution\" is keyframed to 150 at frame 10, outside its slider's 0 .. 100"},
        {"a far larger source",
         scene(kMasks,
               R"("layers": [{"builtin": "blob", "width": 10, "height": 10}, )"
               R"({"builtin": "star", "width": 401, "height": 12}])",
               kParams),
         scene(kMasks,
               R"("layers": [{"builtin": "blob", "width": 10, "height": 10}, )"
               R"({"builtin": "star", "width": 400, "height": 240}])",
               kParams),
         "\"Layer 2\" (star) is 401 x 12, far larger than the 100 x 60 composition"},
    };
    for (const Case& c : cases) {
        const CliRun warned = vorlane({"check", c.warned});
        EXPECT_EQ(warned.status, 0) << c.name << ": warnings alone do not fail a check\n" << warned.err;
        EXPECT_EQ(warning_count(warned), 1u) << c.name << "\n" << warned.err;
        EXPECT_TRUE(warned.says(c.words)) << c.name << "\n" << warned.err;
        EXPECT_NE(warned.out.find("1 warning\n"), std::string::npos) << warned.out;
        const CliRun fine = vorlane({"check", c.fine});
        EXPECT_EQ(fine.status, 0) << c.name << "\n" << fine.err;
        EXPECT_EQ(warning_count(fine), 0u) << c.name << "\n" << fine.err;
    }
}

TEST_F(CheckCli, RenderWarnsBeforeTheFirstFrameUnlessQuietAndDrawsTheSame) {
    const std::string s = scene(kMasks, kLayers,
                                R"("Layers": 2, "Frequency 1": 70, "Frequency 2": 10, )"
                                R"("Path Selection": 1, "Instances": 40)");
    const CliRun loud = vorlane({"render", s, "--frames", "3", "--out", (dir / "loud").string()});
    ASSERT_EQ(loud.status, 0) << loud.err;
    EXPECT_LT(loud.err.find("vorlane: warning: "), loud.err.find("wrote ")) << loud.err;
    const CliRun quiet = vorlane({"render", s, "--frames", "3", "--out", (dir / "quiet").string(), "-q"});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(file_text(dir / "loud" / "frame_0003.png"), file_text(dir / "quiet" / "frame_0003.png"))
        << "a warning never changes the picture";
}

TEST_F(CheckCli, CheckFailsOnErrorsOnlyWithTheErrorAsTheUserSeesIt) {
    const CliRun bad = vorlane({"check", scene(kMasks, kLayers, R"("seed": 3)")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.says("at /params/seed: the effect has no parameter named \"seed\"; did you mean \"Seed\"?"))
        << bad.err;
    EXPECT_EQ(vorlane({"check", (dir / "missing.json").string()}).status, 1);
    const CliRun edited = vorlane({"check", clean(), "--edit", "Layers=3"});
    EXPECT_EQ(edited.status, 0) << edited.err;
    EXPECT_TRUE(edited.says("\"Layer 3\" is in use")) << "the edits are made before the check\n" << edited.err;
}

TEST_F(CheckCli, EveryRefusalIsOneLineThatSaysWhatIsWrong) {
    const fs::path folder = dir / "pictures";
    fs::create_directories(folder);
    struct Case {
        std::vector<std::string> args;
        std::string words;
    };
    const Case cases[] = {
        {{"render", clean(), "--frames", "10-5"},
         "vorlane: --frames 10-5 is reversed: the first frame must not come after the last (5-10)"},
        {{"render", scene("", kLayers, R"("Path Selection": 1)")},
         "\"Path Selection\" can only be 0 (none): the effect layer has no masks"},
        {{"render", scene(kMasks, R"("layers": [{"image": "pictures"}])", "")}, "pictures is a folder, not an image"},
        {{"render", folder.string()}, "is a folder, not a scene file"},
        {{"render", scene(kMasks, kLayers, "", R"(, "render": {"downsample": [2, 1]})")},
         "at /render/downsample/0: [N, D] renders at N/D of full size, so N must lie between 1 and D (here 1)"},
        {{"render", scene(kMasks, R"("layers": [{"builtin": "blob", "width": 20000, "height": 5}])", "")},
         "at /layers/0/width: must lie between 1 and 16384"},
        {{"render", scene(kMasks, kLayers, R"("Bidirectional": "yes")")},
         "\"Bidirectional\" takes on, off, true or false"},
        {{"render", clean(), "--set", "Use All Paths=1"}, "\"Use All Paths\" takes on, off, true or false"},
        {{"render", scene(kMasks, kLayers, R"("Seed": 1, "seed": 2)")},
         "no parameter named \"seed\"; did you mean \"Seed\"?"},
        {{"render", clean(), "--edit", "Instances=5", "--edit", "Layrs=2"},
         "no control is named \"Layrs\"; did you mean \"Layers\"?"},
        {{"render", clean(), "--resolution", "double"}, "--resolution: double not in {full,half,third,quarter}"},
        {{"render", clean(), "--frames", "1.5"}, "--frames takes A-B or A, whole frame numbers, not \"1.5\""},
        {{"render", scene(kMasks, kLayers, R"("Mode": "incremental")")},
         "\"Mode\" takes one of Incremental, Constant, or a number from 1 to 2; did you mean \"Incremental\"?"},
        {{"render", scene(kMasks, kLayers, R"("Bidirectional": "On")")},
         "\"Bidirectional\" takes on, off, true or false; did you mean \"on\"?"},
        {{"render", scene(kMasks, kLayers, R"("Seed": 1,)")}, "not valid JSON: line 1, column "},
        {{"render", clean(), "--set", "Evolution=[[0, 0], [10"}, "keyframes are written [[frame, value], ...]"},
        {{"render", clean(), "--set", "Layers=[[0, 1], [5, 2]]"}, "\"Layers\" cannot vary over time"},
        {{"params", "--describe", "Bidirectional Alignmnt"}, "did you mean \"Bidirectional Alignment\"?"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--out", (dir / "never").string()});
        if (args[0] == "params") {
            args.resize(3);
        }
        const CliRun run = vorlane(args);
        EXPECT_NE(run.status, 0) << c.words;
        const std::string first_line = run.err.substr(0, run.err.find('\n'));
        EXPECT_NE(first_line.find(c.words), std::string::npos) << "expected: " << c.words << "\ngot: " << run.err;
        EXPECT_FALSE(fs::exists(dir / "never")) << c.words;
    }
}

TEST_F(CheckCli, RepeatedEditsAndSetsLeaveTheSceneWhereItIs) {
    const std::string s = clean();
    const CliRun params = vorlane({"params", "--edit", "Seed=3", "--edit", "Instances=7", s});
    ASSERT_EQ(params.status, 0) << params.err;
    EXPECT_NE(params.out.find("Instances                           7\n"), std::string::npos) << params.out;
    const CliRun render = vorlane({"render", "--out", (dir / "o").string(), "--frames", "0", "--set", "Seed=3", s});
    EXPECT_EQ(render.status, 0) << render.err;
}

TEST_F(CheckCli, SetTakesKeyframesAsTheSceneWritesThem) {
    const auto frame_5 = [&](const std::string& evolution, const std::string& name) {
        const fs::path out = dir / name;
        const CliRun run = vorlane({"render", clean(), "--frames", "5", "--out", out.string(), "--set",
                                    "Mode=Incremental", "--set", "Evolution=" + evolution});
        EXPECT_EQ(run.status, 0) << run.err;
        std::ifstream in(out / "frame_0005.png", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string keyed = frame_5("[[0, 0], [10, 100]]", "keyed");
    EXPECT_FALSE(keyed.empty());
    EXPECT_EQ(keyed, frame_5("50", "halfway")) << "frame 5 lies halfway between the keys";
    EXPECT_NE(keyed, frame_5("0", "start"));
}

TEST_F(CheckCli, ResolutionSetsTheRendersDownsample) {
    for (const auto& [name, width] :
         {std::pair<const char*, A_long>{"full", 100}, {"half", 50}, {"third", 34}, {"quarter", 25}}) {
        const fs::path out = dir / name;
        const CliRun run = vorlane({"render", clean(), "--frames", "0", "--out", out.string(), "--resolution", name});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(read_png(out / "frame_0000.png", PF_PixelFormat_ARGB32).world().width, width) << name;
    }
}

TEST_F(CheckCli, ParamsShowsTheScenesLayersAndMasksByNameAndKeyframesAtAFrame) {
    const std::string s =
        scene(kMasks, R"("layers": [null, {"builtin": "star", "width": 12, "height": 12}])",
              R"("Layers": 2, "Path Selection": 2, "Evolution": [[0, 10], [10, 60]], "Seed": [[0, 1], [4, 9]])");
    const CliRun at_4 = vorlane({"params", s, "--frame", "4"});
    ASSERT_EQ(at_4.status, 0) << at_4.err;
    for (const char* line : {"Layer 1                             None\n", "Layer 2                             star\n",
                             "Path Selection                      Mask 2\n",
                             "Evolution                           30.0\n", "Seed                                9\n"}) {
        EXPECT_NE(at_4.out.find(line), std::string::npos) << line << at_4.out;
    }
    const CliRun first = vorlane({"params", s, "--json"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find(R"("text": "10.0")"), std::string::npos) << "frame 0 without --frame";
    EXPECT_NE(first.out.find(R"("text": "Mask 2")"), std::string::npos);
    EXPECT_NE(first.out.find(R"("description": "Shrinks each copy at random)"), std::string::npos);

    EXPECT_TRUE(vorlane({"params", s, "--frame", "12"}).says("--frame 12 lies outside the composition's frames 0-11"));
    EXPECT_TRUE(vorlane({"params", "--frame", "2"}).says("--frame needs a scene"));
    const CliRun describe = vorlane({"params", "--describe", "Scale Randomness"});
    EXPECT_EQ(describe.out.substr(0, describe.out.find('\n')),
              "Scale Randomness (float slider, default 0.0%, valid 0 .. 100, slider 0 .. 100)");
}

TEST_F(CheckCli, EveryControlTheEffectRegistersHasItsSentence) {
    const CliRun run = vorlane({"params", "--json", "--all", clean()});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json controls = nlohmann::json::parse(run.out);
    ASSERT_EQ(controls.size(), 39u) << "40 parameters after the input layer, less the group's end";
    for (const nlohmann::json& control : controls) {
        const std::string sentence = control.at("description").get<std::string>();
        EXPECT_GT(sentence.size(), 20u) << control.at("name");
        EXPECT_EQ(sentence.back(), '.') << control.at("name");
    }
}

}  // namespace
}  // namespace vorlane::host::test
