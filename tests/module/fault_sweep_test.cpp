// Every host call of representative commands made to fail in turn, and every suite they acquire withheld, through
// the real host and the built module: the command answers the injected error, gives back everything it held, and
// leaves in the output only what it had composited before the fault. Worlds carry guard pages throughout.
#include "render_fixture.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iostream>
#include <set>

#include "AE_EffectCBSuites.h"
#include "params/ParamIndex.h"
#include "suites/StandardSuites.h"
#include "ui/AegpHandles.h"
#include "ui/ControlEdits.h"

namespace vorlane::host::test {

using namespace vorlane::effect;
namespace {

constexpr A_long kInjected = 0x7E57;
constexpr PF_Err kSuiteMissing = PF_Err_BAD_CALLBACK_PARAM;  // 516, what the suite handler answers

// A refused release or clean-up leaves its item with the host by definition, and the effect, already on its way
// out, may keep the result it had: these are the only calls whose failure may leave the result or the counts as
// they would have been.
const std::set<std::string> kReleases = {
    "ReleaseSuite",    "checkin_param",       "PF_CheckinPath",     "PF_PathCleanupSegLength", "dispose_world",
    "PF_DisposeWorld", "host_dispose_handle", "host_unlock_handle", "AEGP_DisposeStream"};

// Cases swept by the running test, printed at its end: each test runs in a process of its own under ctest.
std::uint64_t cases_swept = 0;

// The effect takes the host's answers about mask outlines as they come: a mask that cannot be counted or measured
// is one with nothing to walk. A refused query may therefore end the render without error and with fewer
// instances; everything else must still be given back.
const std::set<std::string> kToleratedQueries = {
    "PF_NumPaths",         "PF_PathNumSegments",   "PF_PathPrepareSegLength",
    "PF_PathGetSegLength", "PF_PathEvalSegLength", "PF_PathEvalSegLengthDeriv1"};

// Host calls that may write pixels: what the output holds after a fault is what these had done before it.
const std::set<std::string> kPixelWrites = {"fill", "fill16", "copy", "copy_hq", "transform_world"};

void report_cases(const std::string& what) {
    std::cout << "fault sweep, " << what << ": " << cases_swept << " (command, k) and withheld-suite cases\n";
    ::testing::Test::RecordProperty("cases_swept", std::to_string(cases_swept));
    cases_swept = 0;
}

// Remembers which call a sweep step aimed at, whether it could be failed, and how many calls that may write pixels
// were made before it.
struct FaultWatch {
    explicit FaultWatch(CallGate& g) : gate(g) {
        gate.set_observer([this](const HostCallRecord& call) {
            if (call.number == target) {
                failed = call.function;
                injected = call.injected;
            } else if (call.number < target && kPixelWrites.count(call.function) != 0) {
                ++writes_before;
            }
        });
    }
    ~FaultWatch() { gate.set_observer({}); }
    void arm(std::uint64_t number, A_long err) {
        gate.clear_faults();
        gate.fail_call_number(number, err);
        target = number;
        failed.clear();
        injected = false;
        writes_before = 0;
    }
    CallGate& gate;
    std::uint64_t target = 0;
    std::string failed;
    bool injected = false;  // false for calls the host never fails (the gate leaves them alone)
    int writes_before = 0;
};

// What the command answered is the injected error, or 516 for a refused suite, or, for a refused release, either.
void expect_error(PF_Err err, const std::string& failed, const std::string& where) {
    if (failed == "host_new_handle") {
        // A null handle carries no code: the effect answers with its own.
        EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED) << where << " " << failed;
    } else if (failed == "host_lock_handle") {
        // A handle that cannot be locked leaves no record to keep; the effect goes on without one.
        EXPECT_EQ(err, PF_Err_NONE) << where << " " << failed;
    } else if (failed == "add_param" && err == PF_Err_INTERNAL_STRUCT_DAMAGED) {
        // Only "Path Selection" may be refused without ending the set-up; the host then finds one parameter
        // missing from the count the effect reports, and refuses the set-up itself.
    } else if (failed == "fill") {
        // The render clears its output whatever the host answers; the clearing is never the render's error.
        EXPECT_EQ(err, PF_Err_NONE) << where << " " << failed;
    } else if (failed == "progress") {
        // The closing report comes after the frame is finished; its answer does not undo the frame.
        EXPECT_EQ(err, PF_Err_NONE) << where << " " << failed;
    } else if (kReleases.count(failed) != 0 || kToleratedQueries.count(failed) != 0) {
        EXPECT_TRUE(err == PF_Err_NONE || err == kInjected) << where << " " << failed << ": " << err;
    } else if (failed == "AcquireSuite") {
        // The suite handler answers 516 for a suite it does not get, or passes the basic suite's own code on.
        EXPECT_TRUE(err == kSuiteMissing || err == kInjected) << where << " " << failed << ": " << err;
    } else {
        EXPECT_EQ(err, kInjected) << where << " " << failed;
    }
}

// ---- Renders --------------------------------------------------------------------------------------------------

class FaultSweep : public RenderFixture {
  protected:
    FaultSweep() { write_layer(7, 5, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200}); }

    // Sweeps every host call of one frame, then withholds each suite the frame acquires.
    void sweep_frame(const std::string& name, A_long number) {
        CallGate& gate = session.gate();
        const std::uint64_t start = gate.calls();
        std::vector<std::uint64_t> writes;  // positions of the calls that may write pixels, within the frame
        std::string first_write;
        gate.set_observer([&](const HostCallRecord& call) {
            if (kPixelWrites.count(call.function) != 0) {
                writes.push_back(call.number - start);
                if (first_write.empty()) {
                    first_write = call.function;
                }
            }
        });
        session.suites().clear_counts();
        const FrameResult clean = frame(number);
        gate.set_observer({});
        ASSERT_EQ(clean.err, PF_Err_NONE) << name;
        ASSERT_GT(session.gate().calls_of("transform_world"), 0u) << name << " draws nothing";
        ASSERT_EQ(first_write, "fill") << name << " does not clear its output first";
        const std::uint64_t per_frame = gate.calls() - start;
        const std::vector<SuiteKey> acquired = session.suites().acquire_order();
        const std::size_t handles = session.handles().live_handles();

        FaultWatch watch(gate);
        for (std::uint64_t k = 1; k <= per_frame; ++k) {
            const std::string where = name + " call " + std::to_string(k);
            watch.arm(gate.calls() + k, kInjected);
            const FrameResult faulted = render_frame(*job, number);
            const std::string failed = watch.failed;
            const int before = watch.writes_before;
            ASSERT_FALSE(failed.empty()) << where << ": the frame made fewer calls than before";
            if (!watch.injected) {
                continue;
            }
            ++cases_swept;
            expect_error(faulted.err, failed, where);
            if (kReleases.count(failed) == 0) {
                EXPECT_TRUE(faulted.leaks.empty()) << where << " " << failed << ": " << faulted.leaks.front();
                EXPECT_EQ(session.suites().outstanding(), 0) << where << " " << failed;
            }
            EXPECT_EQ(session.checkouts_outstanding(), 0) << where << " " << failed;
            EXPECT_EQ(session.handles().live_handles(), handles) << where << " " << failed;

            if (kToleratedQueries.count(failed) != 0 && faulted.err == PF_Err_NONE) {
                continue;  // a different walk, not a cut-off one
            }
            // The same frame with its pixel writes cut off after as many as the faulted one made; a render that
            // went on past a refused release is the whole frame. The clearing, the first write, is made whatever
            // came before it, so a cut frame keeps at least that.
            gate.clear_faults();
            const int kept = std::max(before, 1);
            if (faulted.err != PF_Err_NONE && kept < int(writes.size())) {
                gate.fail_call_number(gate.calls() + writes[std::size_t(kept)], kInjected);
            }
            const FrameResult cut = render_frame(*job, number);
            gate.clear_faults();
            EXPECT_TRUE(same_pixels(faulted.output.world(), cut.output.world()))
                << where << " " << failed << " after " << kept << " pixel writes";
        }
        gate.clear_faults();

        std::set<SuiteKey> withheld;
        for (const SuiteKey& key : acquired) {
            if (!withheld.insert(key).second) {
                continue;
            }
            session.suites().withhold(key.name, key.version);
            const int outstanding = session.suites().outstanding();
            const FrameResult result = render_frame(*job, number);
            session.suites().restore(key.name, key.version);
            ++cases_swept;
            // The render holds "PF World Suite" 2 itself, outside the suite handler, and ends with the basic
            // suite's own answer when it is refused.
            const bool own = key.name == kPFWorldSuite && key.version == kPFWorldSuiteVersion2;
            EXPECT_EQ(result.err, own ? PF_Err(kSuiteNotFoundError) : kSuiteMissing) << name << " without " << key.name;
            EXPECT_TRUE(result.leaks.empty()) << name << " without " << key.name << ": " << result.leaks.front();
            EXPECT_EQ(session.suites().outstanding(), outstanding) << name << " without " << key.name;
        }
    }

    static bool same_pixels(const PF_EffectWorld& a, const PF_EffectWorld& b) {
        if (a.width != b.width || a.height != b.height || a.world_flags != b.world_flags) {
            return false;
        }
        const std::size_t row = std::size_t(a.width) * ((a.world_flags & PF_WorldFlag_DEEP) ? 8 : 4);
        for (A_long y = 0; y < a.height; ++y) {
            if (std::memcmp(static_cast<const char*>(static_cast<const void*>(a.data)) + std::ptrdiff_t(y) * a.rowbytes,
                            static_cast<const char*>(static_cast<const void*>(b.data)) + std::ptrdiff_t(y) * b.rowbytes,
                            row) != 0) {
                return false;
            }
        }
        return true;
    }
};

std::string scene_with(const std::string& params, const std::string& layers, int depth) {
    return R"({"comp": {"width": 40, "height": 28, "frame_rate": 24, "duration_frames": 6},
        "effect_layer": {"background": [255, 20, 20, 20],
                         "masks": [{"ellipse": [20, 14, 14, 9]}, {"svg": "M 2 26 C 10 0 30 0 38 26"}]},
        "layers": )" +
           layers + R"(, "params": {)" + params + R"(}, "render": {"depth": )" + std::to_string(depth) + "}}";
}

TEST_F(FaultSweep, IncrementalOnAllPathsWithRandomFlipsIn8Bits) {
    load(scene_with(R"p("Layers": 2, "Frequency 1": 60, "Frequency 2": 40, "Path Selection": 1, "Use All Paths": true,
                       "Mode": "Incremental", "Instances": 4, "Evolution": 30, "Scale Randomness": 50,
                       "Rotation Randomness": 30, "Opacity Randomness": 30, "Flip Randomness": "XY",
                       "Time Offset Randomness (frames)": 3)p",
                    R"([{"builtin": "star", "width": 9, "height": 9}, {"image": "layer.png"}])", 8));
    sweep_frame("incremental", 2);
    report_cases("incremental render");
}

TEST_F(FaultSweep, ConstantSequentialBidirectionalOnTheWholePathWithAnEmptySlotIn16Bits) {
    load(scene_with(R"("Layers": 3, "Frequency 1": 40, "Frequency 2": 30, "Frequency 3": 30, "Path Selection": 2,
                       "Mode": "Constant", "Instances": 3, "Sequentially": true, "Bidirectional": true,
                       "Distribution": "Path", "Flip": "X")",
                    R"([{"image": "layer.png"}, null, {"builtin": "star", "width": 7, "height": 7}])", 16));
    sweep_frame("constant", 1);
    report_cases("constant render");
}

// "Distribution" Path with "Seed" 12345 shows slot 1 on the first mask and slot 2 on the second: "Frequency 2" is
// first read, and first refused, in the second pass, after instances drawn with the "Frequency 1" read before them.
TEST_F(FaultSweep, ConstantOnAllPathsWithAShareFirstNeededOnTheSecondMask) {
    load(scene_with(R"("Layers": 3, "Frequency 1": 34, "Frequency 2": 33, "Frequency 3": 33, "Path Selection": 1,
                       "Use All Paths": true, "Mode": "Constant", "Distribution": "Path", "Instances": 2,
                       "Seed": 12345, "Rotation Randomness": 40)",
                    R"([{"image": "layer.png"}, {"builtin": "star", "width": 7, "height": 7}, null])", 8));
    std::vector<std::string> reads;
    session.gate().set_observer([&reads](const HostCallRecord& call) {
        for (const auto& [key, value] : call.args) {
            if (call.function == "checkout_param" && key == "index") {
                reads.push_back(value);
            }
        }
        if (call.function == "transform_world") {
            reads.push_back(call.function);
        }
    });
    ASSERT_EQ(frame(3).err, PF_Err_NONE);
    session.gate().set_observer({});
    const auto second = std::find(reads.begin(), reads.end(), std::to_string(frequency_param(2)));
    ASSERT_NE(second, reads.end());
    EXPECT_NE(std::find(reads.begin(), second, "transform_world"), second) << "Frequency 2 is read before any draw";
    sweep_frame("late share", 3);
    report_cases("render reading a share late");
}

// ---- Commands without a frame ---------------------------------------------------------------------------------

// A fresh session per step, brought as far as `ready` takes it before the command swept.
void sweep_command(const std::string& name, const std::function<void(Session&)>& ready,
                   const std::function<PF_Err(Session&)>& command) {
    LoadedModule module = LoadedModule::open(VORLANE_MODULE_PATH);
    std::uint64_t calls = 0;
    std::vector<SuiteKey> acquired;
    {
        Session clean(module.entry(), standard_services());
        ready(clean);
        clean.suites().clear_counts();
        const std::uint64_t start = clean.gate().calls();
        ASSERT_EQ(command(clean), PF_Err_NONE) << name;
        calls = clean.gate().calls() - start;
        acquired = clean.suites().acquire_order();
    }
    for (std::uint64_t k = 1; k <= calls; ++k) {
        Session session(module.entry(), standard_services());
        ready(session);
        const std::size_t handles = session.handles().live_handles();
        const bool had_global = session.global_data() != nullptr;
        FaultWatch watch(session.gate());
        watch.arm(session.gate().calls() + k, kInjected);
        const PF_Err err = command(session);
        const std::string failed = watch.failed;
        const std::string where = name + " call " + std::to_string(k);
        ASSERT_FALSE(failed.empty()) << where;
        if (!watch.injected) {
            continue;
        }
        ++cases_swept;
        expect_error(err, failed, where);
        if (kReleases.count(failed) == 0) {
            EXPECT_EQ(session.suites().outstanding(), 0) << where << " " << failed;
            // Global data is the one handle kept past a command, and only when global set-up succeeded.
            const std::size_t kept = handles + (!had_global && session.global_data() ? 1 : 0);
            EXPECT_EQ(session.handles().live_handles(), kept) << where << " " << failed;
        }
        EXPECT_EQ(session.checkouts_outstanding(), 0) << where << " " << failed;
        const std::vector<std::string> aegp = reclaim_leaked_handles(&session);
        EXPECT_TRUE(aegp.empty()) << where << " " << failed << ": " << aegp.front();
        if (const PF_Handle global = session.global_data()) {
            EXPECT_EQ(session.handles().lock_count(global), 0) << where;
        }
    }
    std::set<SuiteKey> withheld;
    for (const SuiteKey& key : acquired) {
        if (!withheld.insert(key).second) {
            continue;
        }
        Session session(module.entry(), standard_services());
        ready(session);
        session.suites().withhold(key.name, key.version);
        ++cases_swept;
        EXPECT_EQ(command(session), kSuiteMissing) << name << " without " << key.name;
        EXPECT_EQ(session.suites().outstanding(), 0) << name << " without " << key.name;
        const std::vector<std::string> aegp = reclaim_leaked_handles(&session);
        EXPECT_TRUE(aegp.empty()) << name << " without " << key.name << ": " << aegp.front();
    }
}

void nothing(Session&) {}
void set_up(Session& session) {
    ASSERT_EQ(session.global_setup(), PF_Err_NONE);
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);
}

TEST(FaultSweepCommands, GlobalSetUpParamsAboutUiUpdateAndParamChanged) {
    sweep_command("global set-up", nothing, [](Session& s) { return s.global_setup(); });
    sweep_command(
        "params set-up", [](Session& s) { ASSERT_EQ(s.global_setup(), PF_Err_NONE); },
        [](Session& s) { return s.params_setup(); });
    sweep_command("about", set_up, [](Session& s) {
        std::string text;
        return s.about(&text);
    });
    sweep_command("UI update", set_up, [](Session& s) { return run_ui_command(s, PF_Cmd_UPDATE_PARAMS_UI).err; });
    const auto three_layers = [](Session& s) {
        set_up(s);
        PF_ParamDef layers = s.param(kLayers);
        layers.u.sd.value = 3;
        s.set_param(kLayers, layers);
        PF_ParamDef first = s.param(frequency_param(1));
        first.u.fs_d.value = 70.0;
        s.set_param(frequency_param(1), first);
    };
    sweep_command("parameter changed", three_layers,
                  [](Session& s) { return run_ui_command(s, PF_Cmd_USER_CHANGED_PARAM, frequency_param(1)).err; });
    report_cases("commands without a frame");
}

}  // namespace
}  // namespace vorlane::host::test

namespace vorlane::host::test {
namespace {

// A guarded world's pixels end where the inaccessible page begins, and its rows are padded.
TEST(GuardedWorld, EndsAtAnInaccessiblePageWithPaddedRows) {
    GuardedWorlds guard;
    for (const PF_PixelFormat format : {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64}) {
        WorldStorage storage(13, 5, format);
        const PF_EffectWorld& world = storage.world();
        const std::size_t pixel = format == PF_PixelFormat_ARGB64 ? 8 : 4;
        EXPECT_GT(std::size_t(world.rowbytes), 13 * pixel);
        const auto end = reinterpret_cast<std::uintptr_t>(world.data) + std::uintptr_t(world.rowbytes) * 5;
        EXPECT_EQ(end % 4096, 0u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(world.data) % 8, 0u);
#ifndef _WIN32
        char* past = reinterpret_cast<char*>(world.data) + std::ptrdiff_t(world.rowbytes) * 5;
        EXPECT_DEATH(*static_cast<volatile char*>(past) = 1, "");
#endif
    }
}

}  // namespace
}  // namespace vorlane::host::test
