// The preparations an outline's segments are evaluated against: one per segment for all the instances on it, each
// cleaned up before the outline goes back, and one the host refused used once and not kept.
#include "render_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vorlane::host::test {
namespace {

// A straight open mask of two segments of 24 pixels; eight instances, four on each segment.
std::string two_segment_scene() {
    return R"({"comp": {"width": 64, "height": 48, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": [255, 0, 0, 255],
                         "masks": [{"closed": false,
                                    "vertices": [[8, 24, 0, 0, 0, 0], [32, 24, 0, 0, 0, 0], [56, 24, 0, 0, 0, 0]]}]},
        "layers": [{"image": "layer.png"}],
        "params": {"Path Selection": 1, "Mode": "Constant", "Instances": 8, "Rotation Randomness": 50}})";
}

class SegmentPreparation : public RenderFixture {
  protected:
    SegmentPreparation() {
        write_layer(6, 4, PF_Pixel{255, 255, 0, 0}, PF_Pixel{255, 0, 255, 0});
        load(two_segment_scene());
    }

    // The calls of one frame; those of segments with the segment's number after the name.
    std::vector<std::string> frame_calls(FrameResult* result) {
        std::vector<std::string> calls;
        session.gate().set_observer([&calls](const HostCallRecord& call) {
            std::string line = call.function;
            for (const auto& [key, value] : call.args) {
                if (key == "segment") {
                    line += " " + value;
                }
            }
            calls.push_back(line);
        });
        *result = render_frame(*job, 0);
        session.gate().set_observer({});
        return calls;
    }
};

long count_of(const std::vector<std::string>& calls, const std::string& call) {
    return long(std::count(calls.begin(), calls.end(), call));
}

TEST_F(SegmentPreparation, EachSegmentIsPreparedOnceForAllItsInstancesAndCleanedUpBeforeTheCheckIn) {
    FrameResult result;
    const std::vector<std::string> calls = frame_calls(&result);
    ASSERT_EQ(result.err, PF_Err_NONE);
    EXPECT_TRUE(result.leaks.empty());
    EXPECT_EQ(count_of(calls, "PF_PathEvalSegLengthDeriv1 0"), 4);
    EXPECT_EQ(count_of(calls, "PF_PathEvalSegLengthDeriv1 1"), 4);
    for (const std::string segment : {"0", "1"}) {
        // Once to measure it, once for its four instances.
        EXPECT_EQ(count_of(calls, "PF_PathPrepareSegLength " + segment), 2) << segment;
        EXPECT_EQ(count_of(calls, "PF_PathCleanupSegLength " + segment), 2) << segment;
    }
    const auto checkin = std::find(calls.begin(), calls.end(), "PF_CheckinPath");
    ASSERT_NE(checkin, calls.end());
    ASSERT_GE(checkin - calls.begin(), 2);
    EXPECT_EQ(*(checkin - 2), "PF_PathCleanupSegLength 0");
    EXPECT_EQ(*(checkin - 1), "PF_PathCleanupSegLength 1");
    EXPECT_EQ(count_of(calls, "transform_world"), 8);
}

TEST_F(SegmentPreparation, ARefusedPreparationServesOneEvaluationAndIsNotKept) {
    FrameResult result;
    const std::vector<std::string> clean = frame_calls(&result);
    // The third preparation is the first instance's, after the two of the measurement.
    auto third = std::find(clean.begin(), clean.end(), "PF_PathPrepareSegLength 0");
    third = std::find(third + 1, clean.end(), "PF_PathPrepareSegLength 0");
    ASSERT_NE(third, clean.end());
    const std::ptrdiff_t refused = third - clean.begin();
    session.gate().fail_call_number(session.gate().calls() + std::uint64_t(refused) + 1, 0x51);
    const std::vector<std::string> calls = frame_calls(&result);
    session.gate().clear_faults();
    // The host's answers about outlines are taken as they come: no error, and nothing left prepared.
    EXPECT_EQ(result.err, PF_Err_NONE);
    EXPECT_TRUE(result.leaks.empty());
    const std::vector<std::string> once = {"PF_PathPrepareSegLength 0", "PF_PathEvalSegLengthDeriv1 0", "atan2",
                                           "PF_PathCleanupSegLength 0"};
    ASSERT_GE(calls.size(), std::size_t(refused) + once.size());
    EXPECT_TRUE(std::equal(once.begin(), once.end(), calls.begin() + refused));
    // The next instance on the segment prepares it anew, and keeps that one.
    EXPECT_EQ(count_of(calls, "PF_PathPrepareSegLength 0"), 3);
    EXPECT_EQ(count_of(calls, "PF_PathCleanupSegLength 0"), 3);
}

}  // namespace
}  // namespace vorlane::host::test
