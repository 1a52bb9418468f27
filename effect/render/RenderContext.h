// What every stage of one render shares: the host's records, the suites, the values, the recorded error and the
// random stream. Lives on the render command's stack and nowhere else.
#pragma once

#include "host/HostSuiteHandler.h"
#include "render/RandomStream.h"
#include "render/RecordedError.h"
#include "render/RememberedFrequencies.h"
#include "render/RenderValues.h"
#include "render/Walk.h"

namespace vorlane::effect {

struct RenderContext {
    RenderContext(PF_InData& in, PF_LayerDef& out, HostSuiteHandler& handler, RandomStream& random)
        : in_data(in), output(out), suites(handler), stream(random) {}

    PF_InData& in_data;
    PF_LayerDef& output;
    HostSuiteHandler& suites;
    RandomStream& stream;
    RecordedError error;
    const PF_WorldSuite2* world_suite2 = nullptr;
    PF_PixelFormat pixel_format = PF_PixelFormat_INVALID;
    RenderValues values;
    int32_t mask_count = 0;
    WalkSize walk;
    PF_PathID selected_path_id = 0;
    RememberedFrequencies frequencies;
    PF_EffectWorld instance_world{};
};

}  // namespace vorlane::effect
