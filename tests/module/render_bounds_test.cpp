// Every parameter value within its valid range renders in bounded time and memory: the largest instance counts
// with both of their multipliers, a thousandfold scale of a large layer, a time factor of 0, all frequencies 0, and
// a walk that only the render's cap on spots ends.
#include <chrono>

#include "render_fixture.h"
#include "support/peak_memory.h"

namespace vorlane::host::test {
namespace {

// No render places more spots than this, over all its passes.
constexpr std::uint64_t kSpotCap = 1000000;

// A wall-clock limit for any one render here, generous enough for AddressSanitizer, wine and a busy machine. The
// slowest case, a million spots, takes about 2 s in a Linux release build.
constexpr double kSecondsPerRender = 120.0;

struct Cost {
    double seconds = 0.0;
    std::uint64_t peak_rise = 0;  // bytes by which the process's peak resident memory rose
    std::uint64_t spots = 0;      // points taken on the outlines, one per spot
    std::uint64_t composites = 0;
};

class RenderBounds : public RenderFixture {
  protected:
    // A 64 x 48 composition with the given masks, one built-in layer of the given size and the given values.
    Cost render(const std::string& masks, const std::string& params, A_long layer_w = 4, A_long layer_h = 4,
                int depth = 8) {
        load(R"({"comp": {"width": 64, "height": 48, "duration_frames": 10},
                 "render": {"depth": )" +
             std::to_string(depth) + R"(},
                 "effect_layer": {"masks": [)" +
             masks + R"(]},
                 "layers": [{"builtin": "star", "width": )" +
             std::to_string(layer_w) + R"(, "height": )" + std::to_string(layer_h) + R"(}],
                 "params": {"Path Selection": 1, )" +
             params + "}}");
        CallGate& gate = session.gate();
        const std::uint64_t points =
            gate.calls_of("PF_PathEvalSegLength") + gate.calls_of("PF_PathEvalSegLengthDeriv1");
        const std::uint64_t composites = gate.calls_of("transform_world");
        const std::uint64_t peak = peak_resident_bytes();
        const auto start = std::chrono::steady_clock::now();
        const FrameResult result = frame(5);
        Cost cost;
        cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cost.peak_rise = peak_resident_bytes() - peak;
        cost.spots = gate.calls_of("PF_PathEvalSegLength") + gate.calls_of("PF_PathEvalSegLengthDeriv1") - points;
        cost.composites = gate.calls_of("transform_world") - composites;
        // The figures of each render go into the test's XML or JSON report (--gtest_output).
        RecordProperty("render_" + std::to_string(++renders_), std::to_string(cost.seconds) + " s, peak +" +
                                                                   std::to_string(cost.peak_rise >> 10) + " KiB, " +
                                                                   std::to_string(cost.spots) + " spots");
        EXPECT_EQ(result.err, PF_Err_NONE) << params;
        EXPECT_LT(cost.seconds, kSecondsPerRender) << params;
        EXPECT_LE(cost.spots, kSpotCap) << params;
        return cost;
    }

  private:
    int renders_ = 0;
};

const char* const kThreeMasks =
    R"({"ellipse": [32, 24, 20, 14]}, {"rect": [4, 4, 56, 40]}, {"svg": "M 2 40 C 20 0 40 0 62 40"})";
const char* const kLine = R"({"closed": false, "vertices": [[4, 24, 0, 0, 0, 0], [60, 24, 0, 0, 0, 0]]})";

// Totals far beyond the slider's range make the walk's step negative: such a walk places its first spot only.
TEST_F(RenderBounds, AMillionInstancesWithBothMultipliersPlaceNoMoreThanTheCap) {
    const std::string all_paths = R"("Use All Paths": true, "Instances": 1000000, "Bidirectional": true, )";
    for (const std::string mode : {"Incremental", "Constant"}) {
        for (const std::string sequentially : {"true", "false"}) {
            const Cost cost =
                render(kThreeMasks, all_paths + R"("Sequentially": )" + sequentially + R"(, "Mode": ")" + mode + "\"");
            EXPECT_GE(cost.spots, 1u) << mode << " " << sequentially;
            EXPECT_LE(cost.spots, 3u) << mode << " " << sequentially;  // one per pass at most
        }
    }
}

// A walk whose step is too small to move it to its limit in single precision ends at the cap, not never.
TEST_F(RenderBounds, AWalkThatWouldNotEndStopsAtTheSpotCap) {
    // With every frequency 0 no spot picks a layer, so the spots cost only their placement.
    const Cost cost = render(kLine, R"("Mode": "Constant", "Instances": 99800, "Frequency 1": 0)");
    EXPECT_EQ(cost.spots, kSpotCap);
    EXPECT_EQ(cost.composites, 0u);
}

// The instance's world is the layer's size whatever the scale; the output clips the rest. A 600 x 400 layer at
// 1000 % would be a 6000 x 4000 picture of 96 MB (8 bits) or 192 MB (16 bits) if anything made it whole.
TEST_F(RenderBounds, AThousandfoldScaleOfALargeLayerTakesMemoryOfTheLayerNotOfItsPicture) {
    constexpr std::uint64_t kBound = 64u << 20;
    for (const int depth : {8, 16}) {
        const Cost cost = render(kThreeMasks, R"("Mode": "Constant", "Instances": 1, "Scale": 1000)", 600, 400, depth);
        EXPECT_EQ(cost.composites, 1u) << depth;
        EXPECT_LT(cost.peak_rise, kBound) << depth;
    }
}

// A time factor of 0 holds every instance at the layer's last frame; all frequencies 0 leave every pick outside
// every slot, so nothing is drawn.
TEST_F(RenderBounds, TimeFactorZeroAndAllFrequenciesZeroRenderPromptly) {
    const std::string many = R"("Mode": "Incremental", "Instances": 1000, "Use All Paths": true, )";
    const Cost held = render(kThreeMasks, many + R"x("Time Factor": 0, "Time Factor Randomness": 1000,
                                                   "Time Offset Randomness (frames)": 1000)x");
    EXPECT_GT(held.composites, 1000u);
    const Cost none = render(kThreeMasks, many + R"("Layers": 5, "Frequency 1": 0, "Frequency 2": 0,
                                                   "Frequency 3": 0, "Frequency 4": 0, "Frequency 5": 0)");
    EXPECT_GT(none.spots, 1000u);
    EXPECT_EQ(none.composites, 0u);
}

}  // namespace
}  // namespace vorlane::host::test
