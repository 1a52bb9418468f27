// Memory running out inside the effect, in process (failing_allocations.h). Swept over n, each command whose
// n-th allocation of the effect's own fails answers an error code, or finishes, and nothing it held is left behind.
// The host's allocations are left alone here: a host that runs out answers with its own codes (tested apart, below
// and in host_out_of_memory_test.cpp).
#include <iostream>

#include "failing_allocations.h"
#include "suites/StandardSuites.h"
#include "support/scene_render.h"
#include "ui/AegpHandles.h"
#include "ui/ControlEdits.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host::test {
namespace {

class OutOfMemory : public SceneRender {
  protected:
    OutOfMemory() : SceneRender(entry_failing_allocations) {}
    ~OutOfMemory() override { fail_in_each_command(Allocations::effect, -1); }
};

// Fails allocations 0, 1, 2, ... of `command` until one run makes fewer allocations than the one failed; returns
// how many failed. The set-up and UI commands work in the host's records and may allocate nothing of their own.
template <class Command>
int sweep_allocations(const std::string& name, Command command) {
    int failures = 0;
    for (long n = 0;; ++n) {
        fail_in_each_command(Allocations::effect, n);
        const PF_Err err = command();
        fail_in_each_command(Allocations::effect, -1);
        if (!allocation_failed()) {
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
