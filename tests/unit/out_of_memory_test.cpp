// Memory running out inside the effect, in process: every allocation this binary makes goes through the operator
// new below, which can be told to fail the n-th one made on the calling thread while a command runs. Swept over n,
// each command answers an error code, or finishes, and nothing it held is left behind.
#include <cstdlib>
#include <iostream>
#include <new>

#include "session/HostCall.h"
#include "suites/StandardSuites.h"
#include "support/scene_render.h"
#include "ui/AegpHandles.h"
#include "ui/ControlEdits.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace {

// Armed only on the thread that runs the command, and only for the entry point's call: gtest and the host's own
// preparation allocate freely.
thread_local long allocations_left = -1;  // -1: not armed
thread_local bool allocation_failed = false;

// Counts and fails only the effect's allocations: the host's callbacks are not to throw, and a host that runs out
// answers with its own codes (tested apart below).
void* allocate(std::size_t size) {
    if (allocations_left >= 0 && vorlane::host::host_calls_in_progress() > 0) {
        // the host's
    } else if (allocations_left == 0) {
        allocations_left = -1;  // one failure per command: the unwinding that follows may allocate
        allocation_failed = true;
        throw std::bad_alloc();
    } else if (allocations_left > 0) {
        --allocations_left;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace vorlane::host::test {
namespace {

long failing_allocation = -1;  // the allocation, counted from 0, that the next command's entry call fails

PF_Err entry_with_failing_allocation(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                     PF_LayerDef* output, void* extra) {
    allocations_left = failing_allocation;
    allocation_failed = false;
    const PF_Err err = EntryPointFunc(cmd, in_data, out_data, params, output, extra);
    allocations_left = -1;
    return err;
}

class OutOfMemory : public SceneRender {
  protected:
    OutOfMemory() : SceneRender(entry_with_failing_allocation) {}
    ~OutOfMemory() override { failing_allocation = -1; }
};

// Fails allocations 0, 1, 2, ... of `command` until one run makes fewer allocations than the one failed; returns
// how many failed. The set-up and UI commands work in the host's records and may allocate nothing of their own.
template <class Command>
int sweep_allocations(const std::string& name, Command command) {
    int failures = 0;
    for (long n = 0;; ++n) {
        failing_allocation = n;
        const PF_Err err = command();
        failing_allocation = -1;
        if (!allocation_failed) {
            EXPECT_EQ(err, PF_Err_NONE) << name << " with enough memory";
            break;
        }
        ++failures;
        EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY) << name << ", allocation " << n;
    }
    return failures;
}

TEST_F(OutOfMemory, EveryAllocationOfACommandCanFailWithItsErrorAndNothingHeld) {
    int cases = 0;
    cases += sweep_allocations("params set-up", [&] {
        const PF_Err err = session.params_setup();
        return err;
    });
    ASSERT_EQ(session.params_setup(), PF_Err_NONE);
    cases += sweep_allocations("UI update", [&] {
        const UiCommandResult result = run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI);
        EXPECT_TRUE(result.leaks.empty()) << result.leaks.front();
        return result.err;
    });
    cases += sweep_allocations("about", [&] {
        std::string text;
        return session.about(&text);
    });

    write_layer(6, 4, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(R"p({"comp": {"width": 40, "height": 28, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": [255, 20, 20, 20], "masks": [{"ellipse": [20, 14, 14, 9]}]},
        "layers": [{"image": "layer.png"}, {"builtin": "star", "width": 7, "height": 7}],
        "params": {"Layers": 2, "Path Selection": 1, "Mode": "Incremental", "Instances": 4,
                   "Scale Randomness": 40, "Flip Randomness": "XY"}})p");
    const int suites = session.suites().outstanding();
    const int render_cases = sweep_allocations("render", [&] {
        const FrameResult result = render_frame(*job, 1);
        EXPECT_TRUE(result.leaks.empty()) << result.leaks.front();
        EXPECT_EQ(session.suites().outstanding(), suites);
        EXPECT_EQ(session.checkouts_outstanding(), 0);
        return result.err;
    });
    EXPECT_GT(render_cases, 0) << "a render allocates its placement and draws";
    cases += render_cases;
    std::cout << "out of memory: " << cases << " failed allocations swept\n";
}

// The host's own ways of running out: a world it cannot make and a handle it cannot give.
TEST_F(OutOfMemory, AWorldOrAHandleTheHostCannotGiveEndsTheCommandWithAnError) {
    write_layer(6, 4, PF_Pixel{255, 200, 40, 40}, PF_Pixel{255, 40, 40, 200});
    load(R"p({"comp": {"width": 40, "height": 28, "frame_rate": 24, "duration_frames": 4},
        "effect_layer": {"background": [255, 20, 20, 20], "masks": [{"ellipse": [20, 14, 14, 9]}]},
        "layers": [{"image": "layer.png"}], "params": {"Path Selection": 1, "Instances": 3}})p");
    session.gate().fail_function("PF_NewWorld", PF_Err_OUT_OF_MEMORY);
    const FrameResult result = render_frame(*job, 0);
    EXPECT_EQ(result.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_TRUE(result.leaks.empty());
    session.gate().clear_faults();

    Session fresh(EntryPointFunc, standard_services());
    fresh.gate().fail_function("host_new_handle", PF_Err_OUT_OF_MEMORY);  // answered with a null handle
    EXPECT_NE(fresh.global_setup(), PF_Err_NONE);
    EXPECT_EQ(fresh.global_data(), nullptr);
    EXPECT_EQ(fresh.handles().live_handles(), 0u);
    EXPECT_EQ(fresh.suites().outstanding(), 0);
}

}  // namespace
}  // namespace vorlane::host::test
