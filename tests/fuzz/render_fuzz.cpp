// Renders of the built module with fuzzed parameter values on small scenes: every parameter anywhere in its valid
// range, and the stray values old projects hold. Each render must come back with no error or a defined one, leave
// nothing held (no check-out, suite or world of the host), and raise no sanitizer report.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "frames/RenderJob.h"
#include "frames/SceneSession.h"
#include "fuzz_param_values.h"
#include "fuzz_render_scene.h"
#include "fuzz_support.h"
#include "session/ErrorNames.h"
#include "suites/StandardSuites.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vorlane::host::fuzz::effect_entry();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlane::host;
    FuzzedDataProvider in(data, size);
    const Scene scene = fuzz::small_scene(in);
    Session session(fuzz::effect_entry(), standard_services());
    fuzz::require(session.global_setup() == PF_Err_NONE, "global set-up failed");
    ParamTracks tracks = prepare_scene_session(session, scene, {});
    fuzz::fuzz_values(in, session, static_cast<int>(scene.masks.size()));
    const A_long frame = in.ConsumeIntegralInRange<A_long>(0, scene.comp.duration_frames - 1);

    RenderJob job(session, scene, std::move(tracks));
    const FrameResult result = render_frame(job, frame);
    fuzz::require(result.err == PF_Err_NONE || *pf_err_name(result.err) != '\0',
                  "the render failed with an error the host interface does not define");
    if (!result.leaks.empty()) {
        fuzz::finding(("the render left held: " + result.leaks.front()).c_str());
    }
    fuzz::require(session.suites().outstanding() == 0, "the render left suites acquired");
    return 0;
}
