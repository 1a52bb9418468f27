// Memory running out in the host while it serves the effect (failing_allocations.h): each allocation the host makes
// inside a host call fails in turn. The effect hears PF_Err_OUT_OF_MEMORY from that call, or nothing at all where
// the host could do without the memory; the command ends as the effect ends on that answer, nothing is left held,
// and `vorlane render` says so in one line.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "failing_allocations.h"
#include "pixels/KernelScratch.h"
#include "suites/StandardSuites.h"
#include "support/scene_render.h"
#include "ui/AegpHandles.h"
#include "ui/ControlEdits.h"

namespace vorlane::host::test {
namespace {

// Calls the gate counts but never fails: running out in their bookkeeping leaves their answer as it would be.
bool cannot_fail(const std::string& call) {
    static const std::string names =
        " atan atan2 ceil cos exp fabs floor fmod hypot log log10 pow sin sqrt tan asin acos sprintf strcpy IsEqual"
        " FreeBlock host_unlock_handle host_dispose_handle host_get_handle_size ";
    return names.find(" " + call + " ") != std::string::npos;
}

// A refused release or clean-up leaves its item with the host by definition, and the effect on its way out keeps
// the result it had.
const std::set<std::string> kReleases = {"ReleaseSuite",  "checkin_param",  "PF_CheckinPath", "PF_PathCleanupSegLength",
                                         "dispose_world", "PF_DisposeWorld"};

// Besides the releases, the calls whose refusal the effect may get past: mask queries it takes as they come (a
// mask that cannot be measured has nothing to walk), the closing progress report, a lock it can do without.
const std::set<std::string> kMayPass = {"PF_NumPaths",
                                        "PF_PathNumSegments",
                                        "PF_PathPrepareSegLength",
                                        "PF_PathGetSegLength",
                                        "PF_PathEvalSegLength",
                                        "PF_PathEvalSegLengthDeriv1",
                                        "progress",
                                        "host_lock_handle"};

constexpr PF_Err kSuiteMissing = PF_Err_BAD_CALLBACK_PARAM;  // what the effect answers for a suite it cannot get

// What a command ends with once `call` answered it PF_Err_OUT_OF_MEMORY.
void expect_command_error(PF_Err err, const std::string& call, const std::string& where) {
    if (call == "host_new_handle") {
        EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED) << where;  // a null handle carries no code
    } else if (call == "AcquireSuite") {
        EXPECT_TRUE(err == kSuiteMissing || err == PF_Err_OUT_OF_MEMORY) << where << ": " << err;
    } else if (call == "add_param") {
        // Only "Path Selection" may be refused without ending the set-up; the host then refuses it itself.
        EXPECT_TRUE(err == PF_Err_OUT_OF_MEMORY || err == PF_Err_INTERNAL_STRUCT_DAMAGED) << where << ": " << err;
    } else if (call == "fill") {
        EXPECT_EQ(err, PF_Err_NONE) << where;  // the render's clearing of its output answers nothing to the render
    } else if (kReleases.count(call) != 0 || kMayPass.count(call) != 0) {
        EXPECT_TRUE(err == PF_Err_NONE || err == PF_Err_OUT_OF_MEMORY) << where << ": " << err;
    } else {
        EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY) << where;
    }
}

// How a swept command ended: its error, and what it left held.
struct Outcome {
    PF_Err err = PF_Err_NONE;
    std::vector<std::string> held;
};

class HostOutOfMemory : public SceneRender {
  protected:
    HostOutOfMemory() : SceneRender(entry_failing_allocations) {}
    ~HostOutOfMemory() override {
        fail_in_each_command(Allocations::host, -1);
        number_calls_at(nullptr);
    }

    // Keeps what each call of `watched` answered, and numbers the calls for the failing allocation.
    void watch(Session& watched) {
        answers.clear();
        number_calls_at(&watched.gate());
        watched.gate().set_observer([this](const HostCallRecord& call) {
            const UncountedAllocations own;
            answers[call.number] = call.err;
        });
    }

    // Fails the host's allocations 0, 1, 2, ... in the commands `run` makes once it calls arm(), until a run makes
    // fewer than the one failed. `run` returns the command's error and what it left held; each failed run is judged
    // by the call the allocation failed in. Returns how many failed.
    template <class Run>
    int sweep(const std::string& name, Run run) {
        int failures = 0;
        for (long n = 0;; ++n) {
            sweeping_ = n;
            const auto [err, held] = run();
            fail_in_each_command(Allocations::host, -1);
            if (!allocation_failed()) {
                EXPECT_EQ(err, PF_Err_NONE) << name << " with enough memory";
                EXPECT_TRUE(held.empty()) << name << " with enough memory: " << held.front();
                break;
            }
            ++failures;
            judge(name + ", host allocation " + std::to_string(n), err, held);
        }
        return failures;
    }

    void arm() const { fail_in_each_command(Allocations::host, sweeping_); }

    // `command` on a session of its own, after the set-ups a host makes before it (none, global set-up, or both),
    // which have enough memory.
    template <class Command>
    Outcome on_fresh_session(int setups, Command command) {
        Session fresh(entry_failing_allocations, standard_services());
        EXPECT_TRUE(setups < 1 || fresh.global_setup() == PF_Err_NONE);
        EXPECT_TRUE(setups < 2 || fresh.params_setup() == PF_Err_NONE);
        watch(fresh);
        arm();
        Outcome outcome = command(fresh);
        const std::vector<std::string> held = held_by(fresh);
        outcome.held.insert(outcome.held.end(), held.begin(), held.end());
        return outcome;
    }

    void judge(const std::string& where, PF_Err err, const std::vector<std::string>& held) {
        ASSERT_NE(failed_host_call(), nullptr) << where;
        const std::string call = failed_host_call();
        // A call whose own trace record was what ran out has none; serve() answers it as it answers any other.
        const auto answer = answers.find(failed_host_call_number());
        const A_long heard = answer != answers.end() ? answer->second
                             : cannot_fail(call)     ? PF_Err_NONE
                                                     : PF_Err_OUT_OF_MEMORY;
        if (heard == PF_Err_NONE) {
            EXPECT_EQ(err, PF_Err_NONE) << where << ", in " << call << ", which did without the memory";
        } else {
            EXPECT_EQ(heard, PF_Err_OUT_OF_MEMORY) << where << ", in " << call;
            expect_command_error(err, call, where + ", in " + call);
        }
        if (kReleases.count(call) == 0) {
            EXPECT_TRUE(held.empty()) << where << ", in " << call << ": " << held.front();
        }
    }

    // What a command left with the host: suites, parameter check-outs, AEGP handles, and handles but the global
    // data, which the session keeps when global set-up succeeded.
    static std::vector<std::string> held_by(Session& s, int suites = 0) {
        const std::size_t handles = s.global_data() != nullptr ? 1 : 0;
        std::vector<std::string> held = reclaim_leaked_handles(&s);
        if (s.suites().outstanding() != suites) {
            held.push_back(std::to_string(s.suites().outstanding() - suites) + " suite(s)");
        }
        if (s.checkouts_outstanding() != 0) {
            held.push_back(std::to_string(s.checkouts_outstanding()) + " check-out(s)");
        }
        if (s.handles().live_handles() != handles) {
            held.push_back(std::to_string(s.handles().live_handles()) + " handle(s)");
        }
        return held;
    }

    std::map<std::uint64_t, A_long> answers;

  private:
    long sweeping_ = -1;
};

TEST_F(HostOutOfMemory, EveryAllocationOfTheHostServingACommandCanFailAndTheEffectHearsOfIt) {
    const int global = sweep("global set-up", [&] {
        return on_fresh_session(0, [](Session& s) { return Outcome{s.global_setup(), {}}; });
    });
    const int params = sweep("params set-up", [&] {
        return on_fresh_session(1, [](Session& s) { return Outcome{s.params_setup(), {}}; });
    });
    const int ui = sweep("UI update", [&] {
        return on_fresh_session(2, [](Session& s) {
            UiCommandResult result = run_ui_command(s, PF_Cmd_UPDATE_PARAMS_UI);
            return Outcome{result.err, std::move(result.leaks)};
        });
    });

    write_layer(6, 4, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(R"p({"comp": {"width": 40, "height": 28, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": [255, 20, 20, 20], "masks": [{"ellipse": [20, 14, 14, 9]},
                                                                     {"svg": "M 2 26 C 10 0 30 0 38 26"}]},
        "layers": [{"image": "layer.png"}, {"builtin": "star", "width": 7, "height": 7}],
        "params": {"Layers": 2, "Path Selection": 1, "Use All Paths": true, "Mode": "Incremental",
                   "Instances": 4, "Scale Randomness": 40, "Flip Randomness": "XY"}})p");
    ASSERT_EQ(frame(1).err, PF_Err_NONE);  // the layers' pictures made and cached, as in every frame but the first
    watch(session);
    const int render = sweep("render", [&] {
        const int suites = session.suites().outstanding();  // a refused release keeps its suite for good
        arm();
        FrameResult result = render_frame(*job, 1);
        Outcome outcome{result.err, held_by(session, suites)};
        outcome.held.insert(outcome.held.end(), result.leaks.begin(), result.leaks.end());
        return outcome;
    });
    EXPECT_GT(render, 20) << "a render lends outlines, preparations, worlds and layers";
    session.gate().set_observer({});
    std::cout << "host out of memory, failed allocations swept: global set-up " << global << ", params set-up "
              << params << ", UI update " << ui << ", render " << render << "\n";
}

// `vorlane render` as the user runs it, from loading the module to writing the frame, an edit included: each
// allocation of the host inside a host call fails in turn, and the command either does without it or ends with
// its one line naming the error, never a crash.
TEST_F(HostOutOfMemory, VorlaneRenderEndsWithOneLineNamingTheErrorWhereverTheHostRunsOut) {
    write_layer(6, 4, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    std::ofstream(dir / "scene.json") << R"p({"comp": {"width": 40, "height": 28, "frame_rate": 24,
        "duration_frames": 4}, "effect_layer": {"background": [255, 20, 20, 20],
        "masks": [{"ellipse": [20, 14, 14, 9]}]},
        "layers": [{"image": "layer.png"}, {"builtin": "star", "width": 7, "height": 7}],
        "params": {"Path Selection": 1, "Instances": 3, "Scale Randomness": 40}})p";
    const std::filesystem::path out = dir / "out";
    const std::string scene_file = (dir / "scene.json").string(), out_dir = out.string();
    const std::vector<std::string> args = {
        "vorlane", "--module", VORLANE_MODULE_PATH, "render", scene_file, "--frames", "1", "--out",
        out_dir,   "--edit",   "Layers=2"};
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    int cases = 0;
    for (long n = 0;; ++n) {
        std::filesystem::remove_all(out);
        std::ostringstream cout, cerr;
        fail_allocation(Allocations::host, n);
        const int status = run_cli(static_cast<int>(argv.size()), argv.data(), cout, cerr);
        stop_failing_allocations();
        const std::string call = failed_host_call() != nullptr ? failed_host_call() : "";
        const std::string where = "host allocation " + std::to_string(n) + " in " + call;
        const std::string err = cerr.str();
        const std::size_t line = err.find("vorlane: ");
        const bool written = std::filesystem::exists(out / "frame_0001.png");
        if (status == 0) {
            EXPECT_EQ(line, std::string::npos) << where << ": " << err;
            EXPECT_TRUE(written) << where;
        } else {
            EXPECT_EQ(status, 1) << where;
            ASSERT_NE(line, std::string::npos) << where << ": " << err;
            const std::string message = err.substr(line);
            EXPECT_EQ(message.find('\n'), message.size() - 1) << where << ": one line, " << message;
            if (message.find(" left ") != std::string::npos) {
                // A refused release keeps its item, which the render then finds still held.
                EXPECT_EQ(kReleases.count(call), 1u) << where << ": " << message;
            } else {
                EXPECT_NE(message.find("failed with error"), std::string::npos) << where << ": " << message;
                EXPECT_NE(message.find("(PF_Err_"), std::string::npos) << where << ": " << message;
                EXPECT_FALSE(written) << where;
            }
        }
        if (!allocation_failed()) {
            EXPECT_EQ(status, 0) << err;
            break;
        }
        ++cases;
    }
    EXPECT_GT(cases, 50) << "set-up, edit and render all allocate in host calls";
    std::cout << "vorlane render out of memory: " << cases << " failed allocations swept\n";
}

// The transform kernel's scratches go back to a pool when a call ends, which may need room for one more: when there
// is none, the scratch is freed instead, and the call ends as it would have.
TEST(ScratchPool, AScratchThePoolHasNoRoomForIsFreedRatherThanThrownFromTheLeasesEnd) {
    // More scratches held at once than any render here holds, so that giving them back grows the pool.
    std::vector<std::unique_ptr<ScratchLease>> leases(1024);
    for (auto& lease : leases) {
        lease = std::make_unique<ScratchLease>();
    }
    fail_allocation(Allocations::effect, 0);  // the test runs outside any host call
    leases.clear();
    stop_failing_allocations();
    EXPECT_TRUE(allocation_failed()) << "the pool did not grow";
}

}  // namespace
}  // namespace vorlane::host::test
