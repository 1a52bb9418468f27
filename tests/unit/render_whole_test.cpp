// Whole renders of the effect, linked in, through the host as `vorlane render` runs it: one straight mask, a 4 x 4
// "Layer 1", and a log of every host call the frame made, any of which can be made to fail.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "frames/RenderSuites.h"
#include "host/HostSuiteHandler.h"
#include "params/ParamIndex.h"
#include "render/RandomStream.h"
#include "support/scene_render.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {

using namespace vorlane::effect;
namespace {

constexpr PF_Pixel kLayerPixel{255, 10, 20, 30};
constexpr A_long kFault = 11;

std::string straight_mask() {
    return R"({"closed": false, "vertices": [[0, 50, 0, 0, 0, 0], [25, 50, 0, 0, 0, 0], [50, 50, 0, 0, 0, 0],
                                            [75, 50, 0, 0, 0, 0], [100, 50, 0, 0, 0, 0]]})";
}

// 300 frames at 24 fps, each mask the line from (0, 50) to (100, 50) in four segments of 25; "Path Selection" is the
// first mask and every value not given is the effect's default, "Auto Orient" off.
std::string line_scene(const std::string& params, const std::string& layers = R"([{"image": "layer.png"}])",
                       int masks = 1) {
    std::string mask_list = straight_mask();
    for (int i = 1; i < masks; ++i) {
        mask_list += ", " + straight_mask();
    }
    return R"({"comp": {"width": 100, "height": 100, "frame_rate": 24, "duration_frames": 300},
        "effect_layer": {"background": [255, 0, 0, 255], "masks": [)" +
           mask_list + R"(]},
        "layers": )" +
           layers + R"(,
        "params": {"Path Selection": 1, "Auto Orient": false)" +
           (params.empty() ? "" : ", " + params) + "}}";
}

std::string arg(const HostCallRecord& record, const std::string& name) {
    for (const auto& [key, value] : record.args) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

// Every host call of the renders made while it lives, and faults placed among them by position.
class HostLog {
  public:
    explicit HostLog(CallGate& gate) : gate_(gate) {
        gate_.set_observer([this](const HostCallRecord& record) { note(record); });
    }
    ~HostLog() {
        gate_.set_observer({});
        gate_.clear_faults();
    }
    HostLog(const HostLog&) = delete;
    HostLog& operator=(const HostLog&) = delete;

    // Fails only the n-th call of `function` from now on; the one fault rule in force.
    void fail_nth(const std::string& function, int n, A_long err) {
        nth_ = {function, n, err};
        if (n == 1) {
            gate_.fail_function(function, err);
        }
    }

    int count(const std::string& function) const {
        const auto it = counts_.find(function);
        return it == counts_.end() ? 0 : it->second;
    }
    int evaluations() const { return count("PF_PathEvalSegLength") + count("PF_PathEvalSegLengthDeriv1"); }
    const std::vector<HostCallRecord>& composites() const { return composites_; }
    static nlohmann::json matrix(const HostCallRecord& composite) {
        // The trace gives the matrix as quoted JSON text.
        return nlohmann::json::parse(nlohmann::json::parse(arg(composite, "matrix")).get<std::string>());
    }
    // The times at which "Layer 1" was checked out, in order.
    std::vector<A_long> layer_times() const { return layer_times_; }

  private:
    struct Nth {
        std::string function;
        int n = 0;
        A_long err = 0;
    };

    void note(const HostCallRecord& record) {
        const int seen = ++counts_[record.function];
        if (record.function == "transform_world" && record.err == PF_Err_NONE) {
            composites_.push_back(record);
        }
        if (record.function == "checkout_param" && arg(record, "index") == std::to_string(kLayer1)) {
            layer_times_.push_back(std::stoi(arg(record, "time")));
        }
        if (record.function == nth_.function) {
            if (seen == nth_.n - 1) {
                gate_.fail_function(nth_.function, nth_.err);
            } else if (seen == nth_.n) {
                gate_.clear_faults();
            }
        }
    }

    CallGate& gate_;
    Nth nth_;
    std::map<std::string, int> counts_;
    std::vector<HostCallRecord> composites_;
    std::vector<A_long> layer_times_;
};

class WholeRender : public SceneRender {
  protected:
    WholeRender() : SceneRender(EntryPointFunc) { write_layer(4, 4, kLayerPixel, kLayerPixel); }

    // A value an old project may carry that the scene's checks would refuse, stored as the project stores it.
    void set_stored(PF_ParamIndex index, A_long value) {
        PF_ParamDef def = session.param(index);
        def.u.sd.value = value;  // sliders, popups and checkboxes alike
        session.set_param(index, def);
    }

    // The horizontal scale of every instance the frame composited.
    std::vector<double> scales() {
        HostLog log(session.gate());
        EXPECT_EQ(frame(0).err, PF_Err_NONE);
        std::vector<double> scales;
        for (const HostCallRecord& composite : log.composites()) {
            scales.push_back(HostLog::matrix(composite)[0][0].get<double>());
        }
        return scales;
    }

    // Nothing held by the effect when the frame ended, as the host reports it, and every suite released.
    void expect_all_returned(const FrameResult& result, const std::string& what) {
        EXPECT_TRUE(result.leaks.empty()) << what << ": " << result.leaks.front();
        EXPECT_EQ(session.suites().outstanding(), 0) << what;
    }
};

TEST_F(WholeRender, NeutralWalkCompositesEveryInstanceAtItsOwnTime) {
    load(line_scene(""));
    HostLog log(session.gate());
    const FrameResult result = frame(0);
    EXPECT_EQ(result.err, PF_Err_NONE);
    ASSERT_EQ(log.composites().size(), 25u);
    // The 4 x 4 layer's centre lands on the spots 0, 1/24 - 0.00001, ... of the outline, the step a little short.
    const nlohmann::json first = HostLog::matrix(log.composites().front());
    EXPECT_EQ(first[2][0].get<double>(), -2.0);
    EXPECT_EQ(first[2][1].get<double>(), 48.0);
    EXPECT_NEAR(HostLog::matrix(log.composites().back())[2][0].get<double>(), 100.0 * 24 * (1.0 / 24 - 0.00001) - 2.0,
                1e-4);
    EXPECT_EQ(arg(log.composites().front(), "xfer"), std::to_string(PF_Xfer_IN_FRONT));
    EXPECT_EQ(arg(log.composites().front(), "opacity"), "255");
    EXPECT_EQ(arg(log.composites().front(), "opacitySu"), "32768");
    EXPECT_EQ(log.layer_times().front(), 9998);
    EXPECT_EQ(log.count("copy"), 1);  // the input, under "On Original Image"
    EXPECT_EQ(log.count("copy_hq"), 25);
    EXPECT_EQ(log.count("progress"), 1);
    EXPECT_EQ(session.last_progress(), (std::pair<A_long, A_long>{100, 100}));
    // The outline is checked out once for the pass, however many instances sit on it.
    EXPECT_EQ(log.count("PF_CheckoutPath"), 1);
    expect_all_returned(result, "neutral");
}

// A path query that finds no outline for any mask and says so without an error, as a host may for a mask it has
// lost; the host's own answer for "no mask" gives exactly that. Made on first use, after the host's tables exist.
const PF_PathQuerySuite1& outline_less_query() {
    static const PF_PathQuerySuite1 suite = [] {
        PF_PathQuerySuite1 s = path_query_suite();
        s.PF_CheckoutPath = [](PF_ProgPtr ref, PF_PathID, A_long time, A_long step, A_u_long scale,
                               PF_PathOutlinePtr* path) {
            return path_query_suite().PF_CheckoutPath(ref, 0, time, step, scale, path);
        };
        return s;
    }();
    return suite;
}

TEST_F(WholeRender, NothingPlacedLeavesThePreparedOutput) {
    load(line_scene(R"("Instances": 0, "Composite": "On Transparent")"));
    {
        HostLog none(session.gate());
        expect_all_returned(frame(0), "no instances");
        EXPECT_EQ(none.count("fill"), 1);
        EXPECT_EQ(none.count("copy"), 0);
        EXPECT_EQ(none.count("checkout_param"), 0);
    }

    load(line_scene(R"("Path Selection": 0, "Use All Paths": true)"));
    {
        HostLog unselected(session.gate());
        EXPECT_EQ(frame(0).err, PF_Err_NONE);
        EXPECT_EQ(unselected.evaluations(), 0);
    }

    // No outline from the host: every spot is walked, nothing drawn, no error, and the missing outline is never
    // handed back to the host to measure or evaluate.
    load(line_scene(""));
    session.suites().add(kPFPathQuerySuite, kPFPathQuerySuiteVersion1, &outline_less_query());
    {
        HostLog no_outline(session.gate());
        const FrameResult result = frame(0);
        EXPECT_EQ(result.err, PF_Err_NONE);
        EXPECT_EQ(no_outline.count("PF_CheckoutPath"), 1);
        EXPECT_TRUE(no_outline.composites().empty());
        EXPECT_EQ(no_outline.count("PF_PathNumSegments") + no_outline.count("PF_PathPrepareSegLength") +
                      no_outline.evaluations(),
                  0);
        expect_all_returned(result, "no outline");
    }

    // An empty "Layer 1": nothing drawn, no world made for it, no error.
    load(line_scene("", "[null]"));
    {
        HostLog empty_slot(session.gate());
        const FrameResult result = frame(0);
        EXPECT_EQ(result.err, PF_Err_NONE);
        EXPECT_TRUE(empty_slot.composites().empty());
        EXPECT_EQ(empty_slot.count("PF_NewWorld"), 0);
        EXPECT_GT(empty_slot.count("checkout_param"), 1);
        expect_all_returned(result, "empty slot");
    }
}

// The render's checkouts run: "Path Selection", "Frequency 1" at the first instance only, then per instance
// "Layer 1"; the check-ins: "Frequency 1" straight after its check-out, then each instance's "Layer 1".
TEST_F(WholeRender, FirstErrorWinsAndEverythingIsReturned) {
    struct Case {
        std::string function;
        int nth;
        size_t drawn;
        std::vector<std::string> refused;  // what the host kept because its release was refused
    };
    const Case cases[] = {{"checkout_param", 5, 2, {}},
                          {"checkout_param", 2, 0, {}},
                          {"checkin_param", 1, 0, {"1 parameter(s) not checked in"}},
                          {"PF_NewWorld", 3, 2, {}},
                          {"copy_hq", 3, 2, {}},
                          {"transform_world", 3, 2, {}},
                          {"PF_CheckoutPath", 1, 0, {}},
                          {"checkin_param", 3, 2, {"1 layer world(s) not checked in", "1 parameter(s) not checked in"}},
                          {"dispose_world", 1, 1, {"1 world(s) not disposed of"}},
                          {"PF_GetPixelFormat", 1, 0, {}}};
    load(line_scene(""));
    for (const Case& c : cases) {
        HostLog log(session.gate());
        log.fail_nth(c.function, c.nth, kFault);
        const FrameResult result = render_frame(*job, 0);
        EXPECT_EQ(result.err, kFault) << c.function;
        EXPECT_EQ(log.composites().size(), c.drawn) << c.function;
        EXPECT_EQ(log.count("progress"), 1) << c.function;
        EXPECT_EQ(result.leaks, c.refused) << c.function;
        EXPECT_EQ(session.suites().outstanding(), 0) << c.function;
    }
    // A clean-up's own error does not replace the first one, and every clean-up is still tried.
    HostLog log(session.gate());
    session.gate().fail_function("transform_world", kFault);
    session.gate().fail_function("dispose_world", 22);
    session.gate().fail_function("PF_CheckinPath", 33);
    const FrameResult result = render_frame(*job, 0);
    EXPECT_EQ(result.err, kFault);
    EXPECT_EQ(result.leaks,
              (std::vector<std::string>{"1 mask outline(s) not checked in", "1 world(s) not disposed of"}));
    EXPECT_EQ(session.suites().outstanding(), 0);
}

// The output is cleared in every render, also once the pixel format was refused, and a refused clearing is not the
// render's error: the render goes on to copy the input and draw every instance.
TEST_F(WholeRender, TheOutputIsAlwaysClearedAndTheClearingNeverFailsTheRender) {
    load(line_scene(""));
    std::size_t drawn = 0;
    {
        HostLog clean(session.gate());
        ASSERT_EQ(frame(0).err, PF_Err_NONE);
        drawn = clean.composites().size();
    }
    ASSERT_GT(drawn, 0u);
    {
        HostLog refused_format(session.gate());
        refused_format.fail_nth("PF_GetPixelFormat", 1, kFault);
        EXPECT_EQ(render_frame(*job, 0).err, kFault);
        EXPECT_EQ(refused_format.count("fill"), 1);
        EXPECT_EQ(refused_format.count("copy"), 0);
    }
    {
        HostLog refused_fill(session.gate());
        refused_fill.fail_nth("fill", 1, kFault);
        const FrameResult result = frame(0);
        EXPECT_EQ(result.err, PF_Err_NONE);
        EXPECT_EQ(refused_fill.count("fill"), 1);
        EXPECT_EQ(refused_fill.count("copy"), 1);
        EXPECT_EQ(refused_fill.composites().size(), drawn);
        expect_all_returned(result, "refused clearing");
    }
}

TEST_F(WholeRender, MissingSuiteMidInstanceStillReturnsEverything) {
    struct Case {
        const char* suite;
        std::vector<A_long> versions;
        PF_Err err;
        size_t drawn;
    };
    // The render's own "PF World Suite" 2 is missing too when the whole suite is withheld: the render ends with the
    // host's answer instead of the suite handler's. Without version 1 alone, the instance's world is disposed of
    // through version 2 as the missing suite unwinds the render, once the instance is drawn.
    const Case cases[] = {
        {kPFANSISuite, {kPFANSISuiteVersion1}, kMissingSuiteError, 0},
        {kPFWorldSuite, {kPFWorldSuiteVersion1, kPFWorldSuiteVersion2}, kSuiteNotFoundError, 0},
        {kPFWorldSuite, {kPFWorldSuiteVersion1}, kMissingSuiteError, 1},
        {kPFWorldTransformSuite, {kPFWorldTransformSuiteVersion1}, kMissingSuiteError, 0},
        {kPFPathDataSuite, {kPFPathDataSuiteVersion1}, kMissingSuiteError, 0},
    };
    load(line_scene(""));
    for (const Case& c : cases) {
        const std::string what = c.suite + std::string(" ") + std::to_string(c.versions.size());
        for (const A_long version : c.versions) {
            session.suites().withhold(c.suite, version, kSuiteNotFoundError);
        }
        HostLog log(session.gate());
        const FrameResult result = render_frame(*job, 0);
        EXPECT_EQ(result.err, c.err) << what;
        EXPECT_EQ(log.composites().size(), c.drawn) << what;
        expect_all_returned(result, what);
        for (const A_long version : c.versions) {
            session.suites().restore(c.suite, version);
        }
    }
}

TEST_F(WholeRender, WalksThatWouldNeverEndStillEnd) {
    struct Case {
        A_long instances;
        bool bidirectional;
        std::uint64_t spots;
    };
    for (const Case c :
         {Case{99704, false, 1000000}, Case{100001, false, 1}, Case{200000, false, 1}, Case{1000000, true, 1}}) {
        load(line_scene("\"Instances\": " + std::to_string(c.instances) +
                            ", \"Bidirectional\": " + (c.bidirectional ? "true" : "false"),
                        "[null]"));
        // Counted by the gate alone: a log of a million spots would cost more than the walk.
        const std::uint64_t before = session.gate().calls_of("PF_PathEvalSegLength");
        EXPECT_EQ(frame(0).err, PF_Err_NONE);
        EXPECT_EQ(session.gate().calls_of("PF_PathEvalSegLength") - before, c.spots) << c.instances;
    }
}

TEST_F(WholeRender, ConstantModeIsSeededWhateverRanBefore) {
    load(line_scene(R"("Scale Randomness": 50)"));
    const std::vector<double> expected = scales();
    ASSERT_EQ(expected.size(), 25u);
    EXPECT_NE(expected.front(), expected.back());

    // "Mode" 0, as an old project may carry, renders as Constant after any earlier use of the thread's stream.
    load(line_scene(R"("Scale Randomness": 50)"));
    set_stored(kMode, 0);
    seed_stream(thread_random_stream(), 999);
    EXPECT_EQ(scales(), expected);

    // "Sequentially" means nothing in Constant mode.
    load(line_scene(R"("Scale Randomness": 50, "Sequentially": true)"));
    EXPECT_EQ(scales(), expected);
}

TEST_F(WholeRender, MaskChoiceWithoutTheHostsHelp) {
    // A host that cannot count the masks has none to walk.
    load(line_scene(R"("Use All Paths": true)"));
    {
        HostLog uncounted(session.gate());
        session.gate().fail_function("PF_NumPaths", 5);
        EXPECT_EQ(frame(0).err, PF_Err_NONE);
        EXPECT_EQ(uncounted.count("PF_NumPaths"), 1);
        EXPECT_EQ(uncounted.evaluations(), 0);
    }

    // "Distribution" Path on the one selected mask picks as mask index 0: with "Seed" 12345 that is slot 1 of
    // three equal shares, with 12346 slot 2, which is empty here.
    const std::string third = nlohmann::json(100.0 / 3.0).dump();
    for (const A_long seed : {12345, 12346}) {
        load(line_scene(R"("Distribution": "Path", "Layers": 3, "Frequency 1": )" + third + R"(, "Frequency 2": )" +
                            third + R"(, "Frequency 3": )" + third + R"(, "Seed": )" + std::to_string(seed),
                        R"([{"image": "layer.png"}, null, null])"));
        HostLog log(session.gate());
        EXPECT_EQ(frame(0).err, PF_Err_NONE);
        EXPECT_EQ(log.composites().size(), seed == 12345 ? 25u : 0u);
    }
}

TEST_F(WholeRender, SequentialWalkMakesOnlyTheDrawingPass) {
    load(line_scene(R"("Mode": "Incremental", "Use All Paths": true, "Sequentially": true, "Instances": 10)",
                    R"([{"image": "layer.png"}])", 2));
    HostLog log(session.gate());
    const FrameResult result = frame(0);
    EXPECT_EQ(result.err, PF_Err_NONE);
    // 20 spots with the Evolution limit 0.9999: the first half on mask 0, the second on mask 1.
    EXPECT_EQ(log.composites().size(), 20u);
    EXPECT_EQ(log.count("PF_PathInfo"), 2);
    EXPECT_EQ(log.count("PF_CheckoutPath"), 2);
    expect_all_returned(result, "sequential");
}

}  // namespace
}  // namespace vorlane::host::test
