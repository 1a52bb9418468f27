// The host's render services called as the effect calls them, inside a render command of a scene: mask ids and
// outlines (at the render's downsampling, keyframes interpolated), layers at their own times and sizes, and the
// bookkeeping that names whatever is not given back.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "frames/FrameState.h"
#include "frames/RenderCallbacks.h"
#include "frames/RenderJob.h"
#include "frames/RenderSuites.h"
#include "frames/SceneSession.h"
#include "pixels/PixelTraits.h"
#include "pixels/Png.h"
#include "scene/MaskIds.h"
#include "scene/SceneLoad.h"
#include "session/CommandContext.h"
#include "session/Session.h"
#include "suites/StandardSuites.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {
namespace {

namespace fs = std::filesystem;

// A render command held open, so that the services can be called as the effect would call them.
class OpenFrame : public ::testing::Test {
  protected:
    OpenFrame()
        : dir(fs::temp_directory_path() /
              ("vorlane_services_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))) {
        fs::create_directories(dir / "seq");
        EXPECT_EQ(session.global_setup(), PF_Err_NONE);
    }
    ~OpenFrame() override {
        close();
        fs::remove_all(dir);
    }

    // Sequence pictures 0..2 of widths 10, 11, 12 so that the picture shown can be told by its size.
    void write_sequence() {
        for (int i = 0; i < 3; ++i) {
            WorldStorage picture(10 + i, 6, PF_PixelFormat_ARGB32);
            write_png(dir / "seq" / ("s" + std::to_string(i) + ".png"), picture.world(), 8);
        }
    }

    void open(const std::string& text, A_long frame_number = 0) {
        scene = parse_scene(text, dir / "scene.json");
        job.emplace(session, scene, prepare_scene_session(session, scene, {}));
        context.session = &session;
        context.gate = &session.gate();
        context.cmd = PF_Cmd_RENDER;
        active.emplace(context);
        frame.job = &*job;
        frame.context = &context;
        frame.frame = frame_number;
        binding.emplace(frame);
        ref = effect_ref_of(&context);
    }

    std::vector<std::string> close() {
        binding.reset();
        active.reset();
        return frame.finish();
    }

    fs::path dir;
    Session session{EntryPointFunc, standard_services()};
    Scene scene;
    std::optional<RenderJob> job;
    CommandContext context;
    std::optional<ActiveCommand> active;
    FrameState frame;
    std::optional<FrameBinding> binding;
    PF_ProgPtr ref = nullptr;
    const PF_PathQuerySuite1& query = path_query_suite();
    const PF_PathDataSuite1& data = path_data_suite();
};

const char* const kTwoMasks = R"({"comp": {"width": 40, "height": 30, "duration_frames": 10},
    "effect_layer": {"masks": [{"rect": [4, 2, 20, 10]},
        {"closed": false, "keyframes": [[0, [[0, 0, 0, 0, 0, 0], [10, 0, 0, 0, 0, 0]]],
                                        [4, [[0, 8, 0, 0, 0, 0], [30, 8, 0, 0, 0, 0]]]]}]},
    "render": {"downsample": [1, 2]}})";

TEST_F(OpenFrame, MasksHaveStableNonZeroIdsAndOutlinesInTheRendersPixels) {
    open(kTwoMasks);
    A_long count = 0;
    ASSERT_EQ(query.PF_NumPaths(ref, &count), PF_Err_NONE);
    ASSERT_EQ(count, 2);
    PF_PathID first = 0, second = 0, none = 0;
    EXPECT_EQ(query.PF_PathInfo(ref, 0, &first), PF_Err_NONE);
    EXPECT_EQ(query.PF_PathInfo(ref, 1, &second), PF_Err_NONE);
    EXPECT_EQ(query.PF_PathInfo(ref, 2, &none), PF_Err_INVALID_INDEX);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);

    PF_PathOutlinePtr rect = nullptr;
    ASSERT_EQ(query.PF_CheckoutPath(ref, first, 0, 100, 2400, &rect), PF_Err_NONE);
    A_long segments = 0;
    ASSERT_EQ(data.PF_PathNumSegments(ref, rect, &segments), PF_Err_NONE);
    EXPECT_EQ(segments, 4);
    PF_FpLong total = 0.0;
    for (A_long s = 0; s < segments; ++s) {
        PF_PathSegPrepPtr prep = nullptr;
        PF_FpLong length = 0.0;
        ASSERT_EQ(data.PF_PathPrepareSegLength(ref, rect, s, 100, &prep), PF_Err_NONE);
        ASSERT_EQ(data.PF_PathGetSegLength(ref, rect, s, &prep, &length), PF_Err_NONE);
        ASSERT_EQ(data.PF_PathCleanupSegLength(ref, rect, s, &prep), PF_Err_NONE);
        EXPECT_EQ(prep, nullptr);
        total += length;
    }
    EXPECT_NEAR(total, 30.0, 1e-6);  // the 20 x 10 rectangle at half size
    PF_FpLong x = 0, y = 0;
    ASSERT_EQ(data.PF_PathEvalSegLength(ref, rect, nullptr, 0, 5.0, &x, &y), PF_Err_NONE);
    EXPECT_NEAR(x, 7.0, 1e-9);
    EXPECT_NEAR(y, 1.0, 1e-9);
    EXPECT_EQ(query.PF_CheckinPath(ref, second, false, rect), PF_Err_BAD_CALLBACK_PARAM);  // not this mask's
    EXPECT_EQ(query.PF_CheckinPath(ref, first, false, rect), PF_Err_NONE);
    EXPECT_EQ(query.PF_CheckinPath(ref, first, false, rect), PF_Err_BAD_CALLBACK_PARAM);  // twice
    EXPECT_EQ(data.PF_PathNumSegments(ref, rect, &segments), PF_Err_BAD_CALLBACK_PARAM);  // gone
    EXPECT_TRUE(close().empty());
}

TEST_F(OpenFrame, KeyframedMasksAreInterpolatedAtTheRequestedTime) {
    open(kTwoMasks);
    PF_PathID id = mask_path_id(1);
    PF_PathOutlinePtr line = nullptr;
    ASSERT_EQ(query.PF_CheckoutPath(ref, id, 200, 100, 2400, &line), PF_Err_NONE);  // frame 2 of 0..4
    PF_FpLong x = 0, y = 0, dx = 0, dy = 0;
    ASSERT_EQ(data.PF_PathEvalSegLengthDeriv1(ref, line, nullptr, 0, 0.0, &x, &y, &dx, &dy), PF_Err_NONE);
    EXPECT_NEAR(y, 2.0, 1e-9);  // halfway from 0 to 8, at half size
    PF_PathSegPrepPtr prep = nullptr;
    PF_FpLong length = 0.0;
    ASSERT_EQ(data.PF_PathGetSegLength(ref, line, 0, &prep, &length), PF_Err_NONE);
    EXPECT_NEAR(length, 10.0, 1e-6);  // 20 pixels long at frame 2, at half size
    EXPECT_GT(dx, 0.0);
    ASSERT_EQ(query.PF_CheckinPath(ref, id, false, line), PF_Err_NONE);
    PF_PathOutlinePtr nothing = reinterpret_cast<PF_PathOutlinePtr>(&id);
    EXPECT_EQ(query.PF_CheckoutPath(ref, 0, 0, 100, 2400, &nothing), PF_Err_NONE);
    EXPECT_EQ(nothing, nullptr);  // no mask chosen: no outline
}

TEST_F(OpenFrame, WhatIsNotGivenBackIsNamedAtTheEnd) {
    open(kTwoMasks);
    PF_PathOutlinePtr rect = nullptr;
    PF_PathSegPrepPtr prep = nullptr;
    PF_EffectWorld world{};
    PF_ParamDef param{};
    ASSERT_EQ(query.PF_CheckoutPath(ref, mask_path_id(0), 0, 100, 2400, &rect), PF_Err_NONE);
    ASSERT_EQ(data.PF_PathPrepareSegLength(ref, rect, 1, 100, &prep), PF_Err_NONE);
    ASSERT_EQ(world_suite2().PF_NewWorld(ref, 3, 3, true, PF_PixelFormat_ARGB64, &world), PF_Err_NONE);
    ASSERT_EQ(checkout_for_frame(frame, 18, 0, 100, &param), PF_Err_NONE);
    const std::vector<std::string> leaks = close();
    EXPECT_EQ(leaks.size(), 4u);
}

TEST_F(OpenFrame, ASequenceShowsTheFrameOfItsTimeHeldAtItsEnds) {
    write_sequence();
    open(R"({"comp": {"width": 40, "height": 30, "duration_frames": 10},
        "layers": [{"sequence": "seq/s%d.png", "count": 3}, null]})");
    const std::vector<std::pair<A_long, A_long>> time_to_width = {{-100, 10}, {0, 10},   {99, 10},
                                                                  {100, 11},  {250, 12}, {900, 12}};
    for (const auto& [time, width] : time_to_width) {
        PF_ParamDef layer{};
        ASSERT_EQ(checkout_for_frame(frame, 2, time, 100, &layer), PF_Err_NONE);
        EXPECT_EQ(layer.u.ld.width, width) << "time " << time;
        EXPECT_EQ(checkin_for_frame(frame, &layer), PF_Err_NONE);
    }
    PF_ParamDef empty{};
    ASSERT_EQ(checkout_for_frame(frame, 3, 0, 100, &empty), PF_Err_NONE);
    EXPECT_EQ(empty.u.ld.data, nullptr);
    EXPECT_EQ(checkin_for_frame(frame, &empty), PF_Err_NONE);
    EXPECT_EQ(checkin_for_frame(frame, &empty), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(close().empty());
}

TEST_F(OpenFrame, LayersComeAtTheRendersDownsampling) {
    open(R"({"comp": {"width": 40, "height": 30},
        "layers": [{"builtin": "star", "width": 15, "height": 7}], "render": {"depth": 16, "downsample": [1, 3]}})");
    PF_ParamDef layer{};
    ASSERT_EQ(checkout_for_frame(frame, 2, 0, 100, &layer), PF_Err_NONE);
    EXPECT_EQ(layer.u.ld.width, 5);
    EXPECT_EQ(layer.u.ld.height, 3);  // ceil(7 / 3)
    EXPECT_NE(layer.u.ld.world_flags & PF_WorldFlag_DEEP, 0);
    EXPECT_EQ(checkin_for_frame(frame, &layer), PF_Err_NONE);
    EXPECT_EQ(job->width, 14);
    EXPECT_EQ(job->height, 10);
}

}  // namespace
}  // namespace vorlane::host::test
