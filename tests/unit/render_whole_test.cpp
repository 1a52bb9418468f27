// Whole renders through a small host of our own that serves one straight mask, a 4 x 4 "Layer 1", worlds, and a
// transform that records what it is asked to composite; any host call can be made to fail by name and count.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "host/AE_EffectCBSuites.h"
#include "host/AE_EffectSuites.h"
#include "params/ParamIndex.h"
#include "render/RandomStream.h"
#include "render/Render.h"

namespace vorlane {
namespace {

struct FakeHost {
    PF_InData in{};
    PF_UtilCallbacks utils{};
    SPBasicSuite basic{};
    std::array<PF_ParamDef, kParamCount> defs{};
    std::array<PF_ParamDef*, kParamCount> params{};
    PF_LayerDef output{};
    std::vector<PF_Pixel> layer_pixels = std::vector<PF_Pixel>(16, PF_Pixel{255, 10, 20, 30});
    bool layer_filled = true;
    bool outline_given = true;
    A_long masks = 1;

    std::map<std::string, std::pair<int, PF_Err>> faults;  // function -> (its n-th call, error)
    std::string withheld_suite;
    std::map<std::string, int> counts;
    int held_suites = 0, param_checkouts = 0, path_checkouts = 0, worlds = 0;
    std::vector<A_long> layer_times;
    std::vector<PF_FloatMatrix> composited;
    std::vector<PF_CompositeMode> modes;
};

FakeHost* g = nullptr;
int g_token = 0;

PF_Err call(const char* name) {
    const int n = ++g->counts[name];
    const auto rule = g->faults.find(name);
    return rule != g->faults.end() && rule->second.first == n ? rule->second.second : PF_Err_NONE;
}

PF_Err new_world(A_long w, A_long h, PF_EffectWorld* world) {
    *world = PF_EffectWorld{};
    world->data = new PF_Pixel[static_cast<size_t>(w * h)]{};
    world->width = w;
    world->height = h;
    ++g->worlds;
    return PF_Err{PF_Err_NONE};
}

PF_Err free_world(const char* name, PF_EffectWorld* world) {
    delete[] world->data;
    world->data = nullptr;
    --g->worlds;
    return call(name);
}

const PF_WorldSuite2 kWorld2{[](PF_ProgPtr, A_long w, A_long h, PF_Boolean, PF_PixelFormat, PF_EffectWorld* world) {
                                 const PF_Err err = call("PF_NewWorld");
                                 return err ? err : new_world(w, h, world);
                             },
                             [](PF_ProgPtr, PF_EffectWorld* world) { return free_world("PF_DisposeWorld", world); },
                             [](const PF_EffectWorld*, PF_PixelFormat* format) {
                                 *format = PF_PixelFormat_ARGB32;
                                 return call("PF_GetPixelFormat");
                             }};
const PF_WorldSuite1 kWorld1{
    nullptr, [](PF_ProgPtr, PF_EffectWorld* world) { return free_world("dispose_world", world); }, nullptr};
const PF_WorldTransformSuite1 kTransform{
    nullptr,
    nullptr,
    nullptr,
    [](PF_ProgPtr, PF_EffectWorld*, PF_EffectWorld*, PF_Rect*, PF_Rect*) { return call("copy"); },
    [](PF_ProgPtr, PF_EffectWorld*, PF_EffectWorld*, PF_Rect*, PF_Rect*) { return call("copy_hq"); },
    nullptr,
    [](PF_ProgPtr ref, PF_Quality, PF_ModeFlags, PF_Field, const PF_EffectWorld*, const PF_CompositeMode* mode,
       const PF_MaskWorld*, const PF_FloatMatrix* matrix, A_long, PF_Boolean, const PF_Rect*, PF_EffectWorld*) {
        EXPECT_EQ(ref, nullptr);
        const PF_Err err = call("transform_world");
        if (!err) {
            g->composited.push_back(*matrix);
            g->modes.push_back(*mode);
        }
        return err;
    },
    nullptr,
    nullptr,
    nullptr};
const PF_PathQuerySuite1 kPathQuery{[](PF_ProgPtr, A_long* n) {
                                        *n = g->masks;
                                        return call("PF_NumPaths");
                                    },
                                    [](PF_ProgPtr, A_long index, PF_PathID* id) {
                                        *id = 7 + index;
                                        return call("PF_PathInfo");
                                    },
                                    [](PF_ProgPtr, PF_PathID, A_long, A_long, A_u_long, PF_PathOutlinePtr* path) {
                                        const PF_Err err = call("PF_CheckoutPath");
                                        *path =
                                            g->outline_given ? reinterpret_cast<PF_PathOutlinePtr>(&g_token) : nullptr;
                                        g->path_checkouts += err == PF_Err_NONE && g->outline_given;
                                        return err;
                                    },
                                    [](PF_ProgPtr, PF_PathID, PF_Boolean, PF_PathOutlinePtr) {
                                        --g->path_checkouts;
                                        return call("PF_CheckinPath");
                                    }};
// A straight outline from (0, 50) to (100, 50) in four segments of 25.
const PF_PathDataSuite1 kPathData{
    nullptr,
    [](PF_ProgPtr, PF_PathOutlinePtr, A_long* n) {
        *n = 4;
        return PF_Err{PF_Err_NONE};
    },
    nullptr,
    [](PF_ProgPtr, PF_PathOutlinePtr, A_long, A_long, PF_PathSegPrepPtr*) { return PF_Err{PF_Err_NONE}; },
    [](PF_ProgPtr, PF_PathOutlinePtr, A_long, PF_PathSegPrepPtr*, PF_FpLong* length) {
        *length = 25.0;
        return PF_Err{PF_Err_NONE};
    },
    [](PF_ProgPtr, PF_PathOutlinePtr, PF_PathSegPrepPtr*, A_long seg, PF_FpLong at, PF_FpLong* x, PF_FpLong* y) {
        *x = seg * 25.0 + at;
        *y = 50.0;
        return call("eval");
    },
    [](PF_ProgPtr, PF_PathOutlinePtr, PF_PathSegPrepPtr*, A_long seg, PF_FpLong at, PF_FpLong* x, PF_FpLong* y,
       PF_FpLong* dx, PF_FpLong* dy) {
        *x = seg * 25.0 + at;
        *y = 50.0;
        *dx = 1.0;
        *dy = 0.0;
        return call("eval");
    },
    [](PF_ProgPtr, PF_PathOutlinePtr, A_long, PF_PathSegPrepPtr*) { return PF_Err{PF_Err_NONE}; },
    nullptr,
    nullptr,
    nullptr};
PF_ANSICallbacksSuite1 ansi_suite() {
    PF_ANSICallbacksSuite1 s{};
    s.atan2 = [](double y, double x) { return std::atan2(y, x); };
    s.sin = [](double x) { return std::sin(x); };
    s.cos = [](double x) { return std::cos(x); };
    return s;
}
const PF_ANSICallbacksSuite1 kAnsi = ansi_suite();

SPErr acquire(const char* name, A_long version, const void** suite) {
    const std::string n = name;
    if (n == g->withheld_suite) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *suite = n == "PF World Suite"             ? (version == 2 ? static_cast<const void*>(&kWorld2) : &kWorld1)
             : n == "PF World Transform Suite" ? static_cast<const void*>(&kTransform)
             : n == "PF Path Query Suite"      ? static_cast<const void*>(&kPathQuery)
             : n == "PF Path Data Suite"       ? static_cast<const void*>(&kPathData)
             : n == "PF ANSI Suite"            ? static_cast<const void*>(&kAnsi)
                                               : nullptr;
    g->held_suites += *suite != nullptr;
    return *suite ? kSPNoError : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err checkout_param(PF_ProgPtr, PF_ParamIndex index, A_long time, A_long, A_u_long, PF_ParamDef* def) {
    const PF_Err err = call("checkout_param");
    if (err) {
        return err;
    }
    *def = g->defs[index];
    if (index >= kLayer1 && index < kLayer1 + kMaxLayers) {
        g->layer_times.push_back(time);
        def->u.ld = PF_LayerDef{};
        if (index == kLayer1 && g->layer_filled) {
            def->u.ld.data = g->layer_pixels.data();
            def->u.ld.width = def->u.ld.height = 4;
        }
    }
    ++g->param_checkouts;
    return PF_Err{PF_Err_NONE};
}

struct Host : FakeHost {
    Host() {
        g = this;
        basic.AcquireSuite = acquire;
        basic.ReleaseSuite = [](const char*, A_long) {
            --g->held_suites;
            return SPErr{kSPNoError};
        };
        utils.fill = [](PF_ProgPtr, const PF_Pixel*, const PF_Rect*, PF_EffectWorld*) { return call("fill"); };
        utils.copy = [](PF_ProgPtr, PF_EffectWorld*, PF_EffectWorld*, PF_Rect*, PF_Rect*) {
            return call("copy_input");
        };
        in.pica_basicP = &basic;
        in.utils = &utils;
        in.effect_ref = reinterpret_cast<PF_ProgPtr>(&g_token);
        in.inter.checkout_param = checkout_param;
        in.inter.checkin_param = [](PF_ProgPtr, PF_ParamDef*) {
            --g->param_checkouts;
            return call("checkin_param");
        };
        in.inter.progress = [](PF_ProgPtr, A_long, A_long) { return call("progress"); };
        in.quality = PF_Quality_HI;
        in.time_step = 100;
        in.time_scale = 2400;
        in.total_time = 30000;
        in.downsample_x = in.downsample_y = {1, 1};
        for (int i = 0; i < kParamCount; ++i) {
            params[i] = &defs[i];
        }
        defs[kLayers].u.sd.value = 1;
        for (int slot = 1; slot <= kMaxLayers; ++slot) {
            defs[frequency_param(slot)].u.fs_d.value = 100.0;
        }
        defs[kPathSelection].u.path_d.path_id = 7;
        set(kMode, 2);
        set(kDistribution, 1);
        set(kInstances, 25);
        defs[kTimeFactor].u.fs_d.value = 100.0;
        set(kBidirectionalAlignment, 1);
        set(kFlip, 1);
        set(kFlipRandomness, 1);
        defs[kEvolution].u.fs_d.value = 100.0;
        defs[kScale].u.fs_d.value = 100.0;
        defs[kOpacity].u.fs_d.value = 100.0;
        set(kSeed, 12345);
        set(kComposite, 1);
        output.width = output.height = 100;
        output.extent_hint = {0, 0, 100, 100};
    }
    ~Host() { g = nullptr; }
    void set(int index, A_long value) { defs[index].u.sd.value = value; }  // sliders, popups and checkboxes alike
    PF_Err render() { return vorlane::render(&in, nullptr, params.data(), &output); }
    bool all_returned() const { return held_suites == 0 && param_checkouts == 0 && path_checkouts == 0 && worlds == 0; }
};

TEST(WholeRender, NeutralWalkCompositesEveryInstanceAtItsOwnTime) {
    Host host;
    EXPECT_EQ(host.render(), PF_Err_NONE);
    ASSERT_EQ(host.composited.size(), 25u);
    // The 4 x 4 layer's centre lands on the spots 0, 1/24 - 0.00001, ... of the outline, the step a little short.
    EXPECT_EQ(host.composited.front().mat[2][0], -2.0);
    EXPECT_EQ(host.composited.front().mat[2][1], 48.0);
    EXPECT_NEAR(host.composited.back().mat[2][0], 100.0 * 24 * (1.0 / 24 - 0.00001) - 2.0, 1e-4);
    EXPECT_EQ(host.modes.front().xfer, PF_Xfer_IN_FRONT);
    EXPECT_EQ(host.modes.front().opacity, 255);
    EXPECT_EQ(host.modes.front().opacitySu, 32768);
    EXPECT_EQ(host.layer_times.front(), 9998);
    EXPECT_EQ(host.counts["copy_input"], 1);
    EXPECT_EQ(host.counts["copy_hq"], 25);
    EXPECT_EQ(host.counts["progress"], 1);
    // The outline is checked out once for the pass, however many instances sit on it.
    EXPECT_EQ(host.counts["PF_CheckoutPath"], 1);
    EXPECT_TRUE(host.all_returned());
}

TEST(WholeRender, NothingPlacedLeavesThePreparedOutput) {
    Host none;
    none.set(kInstances, 0);
    none.set(kComposite, 2);
    EXPECT_EQ(none.render(), PF_Err_NONE);
    EXPECT_EQ(none.counts["fill"], 1);
    EXPECT_EQ(none.counts["copy_input"], 0);
    EXPECT_EQ(none.counts["checkout_param"], 0);
    EXPECT_TRUE(none.all_returned());

    Host unselected;
    unselected.defs[kPathSelection].u.path_d.path_id = 0;
    unselected.set(kUseAllPaths, 1);
    EXPECT_EQ(unselected.render(), PF_Err_NONE);
    EXPECT_EQ(unselected.counts["eval"], 0);

    // No outline from the host and an empty "Layer 1": every spot is walked, nothing drawn, no error.
    Host no_outline;
    no_outline.outline_given = false;
    EXPECT_EQ(no_outline.render(), PF_Err_NONE);
    EXPECT_TRUE(no_outline.composited.empty());
    Host empty_slot;
    empty_slot.layer_filled = false;
    EXPECT_EQ(empty_slot.render(), PF_Err_NONE);
    EXPECT_TRUE(empty_slot.composited.empty());
    EXPECT_EQ(empty_slot.counts["PF_NewWorld"], 0);
    EXPECT_TRUE(no_outline.all_returned() && empty_slot.all_returned());
}

// The render's checkouts run: "Path Selection", then per instance "Frequency 1" and "Layer 1".
TEST(WholeRender, FirstErrorWinsAndEverythingIsReturned) {
    struct Case {
        std::string function;
        int nth;
        size_t drawn;
    };
    const Case cases[] = {{"checkout_param", 7, 2},  {"PF_NewWorld", 3, 2},      {"copy_hq", 3, 2},
                          {"transform_world", 3, 2}, {"PF_CheckoutPath", 1, 0},  {"checkin_param", 5, 2},
                          {"dispose_world", 1, 1},   {"PF_GetPixelFormat", 1, 0}};
    for (const Case& c : cases) {
        Host host;
        host.faults[c.function] = {c.nth, 11};
        EXPECT_EQ(host.render(), 11) << c.function;
        EXPECT_EQ(host.composited.size(), c.drawn) << c.function;
        EXPECT_EQ(host.counts["progress"], 1) << c.function;
        EXPECT_TRUE(host.all_returned()) << c.function;
    }
    // A clean-up's own error does not replace the first one.
    Host host;
    host.faults["transform_world"] = {1, 11};
    host.faults["dispose_world"] = {1, 22};
    host.faults["PF_CheckinPath"] = {1, 33};
    EXPECT_EQ(host.render(), 11);
    EXPECT_TRUE(host.all_returned());
}

TEST(WholeRender, MissingSuiteMidInstanceStillReturnsEverything) {
    for (const char* suite : {"PF ANSI Suite", "PF World Suite", "PF World Transform Suite", "PF Path Data Suite"}) {
        Host host;
        host.set(kAutoOrient, 0);
        host.withheld_suite = suite;
        PF_Err thrown = PF_Err_NONE;
        try {
            host.render();
        } catch (PF_Err err) {
            thrown = err;
        }
        // The render's own "PF World Suite" 2 is missing too when the whole suite is withheld: an error, no throw.
        EXPECT_EQ(thrown, std::string(suite) == "PF World Suite" ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM) << suite;
        EXPECT_TRUE(host.composited.empty()) << suite;
        EXPECT_TRUE(host.all_returned()) << suite;
    }
}

TEST(WholeRender, WalksThatWouldNeverEndStillEnd) {
    struct Case {
        A_long instances;
        bool bidirectional;
        int spots;
    };
    for (const Case c :
         {Case{99704, false, 1000000}, Case{100001, false, 1}, Case{200000, false, 1}, Case{1000000, true, 1}}) {
        Host host;
        host.layer_filled = false;
        host.set(kInstances, c.instances);
        host.set(kBidirectional, c.bidirectional);
        EXPECT_EQ(host.render(), PF_Err_NONE);
        EXPECT_EQ(host.counts["eval"], c.spots) << c.instances;
    }
}

std::vector<double> scales_of(Host& host) {
    EXPECT_EQ(host.render(), PF_Err_NONE);
    std::vector<double> scales;
    for (const PF_FloatMatrix& m : host.composited) {
        scales.push_back(m.mat[0][0]);
    }
    return scales;
}

TEST(WholeRender, ConstantModeIsSeededWhateverRanBefore) {
    Host constant;
    constant.defs[kScaleRandomness].u.fs_d.value = 50.0;
    const std::vector<double> expected = scales_of(constant);

    // "Mode" 0, as an old project may carry, renders as Constant after any earlier use of the thread's stream.
    Host old_project;
    old_project.defs[kScaleRandomness].u.fs_d.value = 50.0;
    old_project.set(kMode, 0);
    seed_stream(thread_random_stream(), 999);
    EXPECT_EQ(scales_of(old_project), expected);

    // "Sequentially" means nothing in Constant mode.
    Host sequential;
    sequential.defs[kScaleRandomness].u.fs_d.value = 50.0;
    sequential.set(kSequentially, 1);
    EXPECT_EQ(scales_of(sequential), expected);
}

TEST(WholeRender, MaskChoiceWithoutTheHostsHelp) {
    // A host that cannot count the masks has none to walk.
    Host uncounted;
    uncounted.set(kUseAllPaths, 1);
    uncounted.faults["PF_NumPaths"] = {1, 5};
    EXPECT_EQ(uncounted.render(), PF_Err_NONE);
    EXPECT_EQ(uncounted.counts["eval"], 0);

    // "Distribution" Path on the one selected mask picks as mask index 0: with "Seed" 12345 that is slot 1 of
    // three equal shares, with 12346 slot 2, which is empty here.
    for (const A_long seed : {12345, 12346}) {
        Host host;
        host.set(kDistribution, 2);
        host.set(kLayers, 3);
        for (int slot = 1; slot <= 3; ++slot) {
            host.defs[frequency_param(slot)].u.fs_d.value = 100.0 / 3.0;
        }
        host.set(kSeed, seed);
        EXPECT_EQ(host.render(), PF_Err_NONE);
        EXPECT_EQ(host.composited.size(), seed == 12345 ? 25u : 0u);
    }
}

TEST(WholeRender, SequentialWalkMakesOnlyTheDrawingPass) {
    Host host;
    host.set(kMode, 1);
    host.set(kUseAllPaths, 1);
    host.set(kSequentially, 1);
    host.set(kInstances, 10);
    host.masks = 2;
    EXPECT_EQ(host.render(), PF_Err_NONE);
    // 20 spots with the Evolution limit 0.9999: the first half on mask 0, the second on mask 1.
    EXPECT_EQ(host.composited.size(), 20u);
    EXPECT_EQ(host.counts["PF_PathInfo"], 2);
    EXPECT_EQ(host.counts["PF_CheckoutPath"], 2);
    EXPECT_TRUE(host.all_returned());
}

}  // namespace
}  // namespace vorlane
