// The controls as `vorlane params` shows them, and the values a user types.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "AE_Effect.h"
#include "support/cli_run.h"
#include "ui/ControlValue.h"

namespace vorlane::host::test {
namespace {

CliRun vorlane_params(std::vector<std::string> args) {
    args.insert(args.begin(), "params");
    return vorlane(std::move(args));
}

bool has_line(const std::string& text, const std::string& line) {
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

TEST(UiView, EditsShowAsThePanelWouldShowThem) {
    const CliRun run = vorlane_params({"--edit", "Layers=3", "--edit", "Frequency 1=66.6"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has_line(run.out, "Frequency 1                         50.0%")) << run.out;
    EXPECT_TRUE(has_line(run.out, "Frequency 2                         25.0%"));
    EXPECT_TRUE(has_line(run.out, "Frequency 3                         25.0%"));
    EXPECT_EQ(run.out.find("Layer 4"), std::string::npos);
    EXPECT_EQ(run.out.find("Frequency 5"), std::string::npos);
    EXPECT_TRUE(has_line(run.out, "    Time Factor                     100.0%"));  // inside "Time Options"
    EXPECT_TRUE(has_line(run.out, "Auto Orient                         on"));
    EXPECT_TRUE(has_line(run.out, "Sequentially                        off  (disabled)"));
    EXPECT_TRUE(has_line(run.out, "Mode                                Constant"));

    const CliRun all = vorlane_params({"--all", "--edit", "Layers=3"});
    EXPECT_TRUE(has_line(all.out, "Layer 4                             None  (hidden)")) << all.out;
    EXPECT_TRUE(has_line(all.out, "Frequency 5                         100.0%  (hidden)"));
}

TEST(UiView, JsonCarriesEveryControlForScripts) {
    const CliRun run =
        vorlane_params({"--json", "--edit", "Layers=3", "--edit", "Frequency 1=66.6", "--edit", "Bidirectional=on"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json controls = nlohmann::json::parse(run.out);
    ASSERT_EQ(controls.size(), 39u);  // 40 parameters, less the group end
    auto control = [&](const std::string& name) {
        for (const auto& c : controls) {
            if (c["name"] == name) {
                return c;
            }
        }
        ADD_FAILURE() << "no " << name;
        return nlohmann::json{};
    };
    // 66.6 against two shares of 100/3 (shown 33.3): about, not exactly, a half.
    EXPECT_NEAR(control("Frequency 1")["value"].get<double>(), 50.0, 0.05);
    EXPECT_EQ(control("Frequency 1")["index"], 7);
    EXPECT_EQ(control("Layer 4")["hidden"], true);
    EXPECT_EQ(control("Frequency 3")["hidden"], false);
    EXPECT_EQ(control("Bidirectional Alignment")["disabled"], false);
    EXPECT_EQ(control("Sequentially")["disabled"], true);
    EXPECT_EQ(control("Mode")["value"], 2);
    EXPECT_EQ(control("Mode")["text"], "Constant");
}

TEST(UiView, EditsThatCannotBeMadeFailWithTheReason) {
    for (const auto& [edit, reason] : {std::pair<std::string, std::string>{"Layers=6", "between 1 and 5"},
                                       {"Layers=2.5", "whole number"},
                                       {"Mode=Sideways", "Incremental, Constant"},
                                       {"Auto Orient=maybe", "on, off"},
                                       {"Reset Frequencies=1", "button"},
                                       {"Layers", "needs a value"},
                                       {"Colour=red", "no control"}}) {
        const CliRun run = vorlane_params({"--edit", edit});
        EXPECT_EQ(run.status, 1) << edit;
        EXPECT_NE(run.err.find(reason), std::string::npos) << edit << ": " << run.err;
    }
}

TEST(UiView, TypedValuesFollowTheControlsType) {
    PF_ParamDef popup{};
    popup.param_type = PF_Param_POPUP;
    popup.u.pd.num_choices = 4;
    popup.u.pd.u.namesptr = "None|X|Y|XY";
    std::string error;
    // Choices are written as the panel shows them, as scene files must; another case is a typo with a hint.
    EXPECT_FALSE(parse_control_value("xy", &popup, &error));
    EXPECT_EQ(error, "takes one of None, X, Y, XY, or a number from 1 to 4; did you mean \"XY\"?");
    ASSERT_TRUE(parse_control_value("XY", &popup, &error));
    EXPECT_EQ(popup.u.pd.value, 4);
    ASSERT_TRUE(parse_control_value("2", &popup, &error));
    EXPECT_EQ(format_control_value(popup), "X");
    EXPECT_FALSE(parse_control_value("5", &popup, &error));
    EXPECT_EQ(popup.u.pd.value, 2);  // unchanged by a refused value

    PF_ParamDef box{};
    box.param_type = PF_Param_CHECKBOX;
    ASSERT_TRUE(parse_control_value(" true ", &box, &error));
    EXPECT_EQ(format_control_value(box), "on");
    EXPECT_FALSE(parse_control_value("TRUE", &box, &error));
    EXPECT_EQ(error, "takes on, off, true or false; did you mean \"true\"?");
    for (const char* word : {"yes", "no", "1", "0", "y", ""}) {
        EXPECT_FALSE(parse_control_value(word, &box, &error)) << "only on, off, true and false: " << word;
        EXPECT_EQ(error, "takes on, off, true or false");
    }
    EXPECT_EQ(box.u.bd.value, 1);

    PF_ParamDef angle{};
    angle.param_type = PF_Param_ANGLE;
    ASSERT_TRUE(parse_control_value("-45.5", &angle, &error));
    EXPECT_EQ(angle.u.ad.value, -45 * 65536 - 32768);

    PF_ParamDef slider{};
    slider.param_type = PF_Param_FLOAT_SLIDER;
    slider.u.fs_d.valid_max = 100.0f;
    slider.u.fs_d.precision = 1;
    slider.u.fs_d.display_flags = PF_ValueDisplayFlag_PERCENT;
    ASSERT_TRUE(parse_control_value("33.333%", &slider, &error));
    EXPECT_EQ(format_control_value(slider), "33.3%");
    EXPECT_FALSE(parse_control_value("nan", &slider, &error));
    EXPECT_FALSE(parse_control_value("100.5", &slider, &error));
}

TEST(UiView, TheControlsStartFromTheScenesValues) {
    const std::filesystem::path scene = std::filesystem::temp_directory_path() / "vorlane_params_view_scene.json";
    std::ofstream(scene) << R"({"comp": {"width": 64, "height": 64, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": null, "masks": [{"ellipse": [32, 32, 20, 20]}]},
        "layers": [{"builtin": "blob", "width": 8, "height": 8}],
        "params": {"Layers": 2, "Mode": "Incremental", "Use All Paths": true, "Seed": [[0, 7], [3, 70]]}})";
    const CliRun run = vorlane_params({scene.string()});
    std::filesystem::remove(scene);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has_line(run.out, "Mode                                Incremental")) << run.out;
    EXPECT_TRUE(has_line(run.out, "Seed                                7")) << run.out;
    // "Layers" 2 hides the third slot, and with Incremental and all paths "Sequentially" is enabled.
    EXPECT_TRUE(has_line(run.out, "Layer 2                             None")) << run.out;
    EXPECT_FALSE(has_line(run.out, "Layer 3                             None")) << run.out;
    EXPECT_TRUE(has_line(run.out, "Sequentially                        off")) << run.out;
}

}  // namespace
}  // namespace vorlane::host::test
