#include <algorithm>
#include <cstdint>

#include "AE_Macros.h"
#include "params/ParamIndex.h"
#include "render/RenderValues.h"

namespace vorlane::effect {

namespace {

// "Evolution" 100 stays just short of a whole, so that at the default "Time Factor" an instance shows frame 99 of
// its layer, not 100, and an Incremental walk stops short of the outline's end.
constexpr double kEvolutionShortOfWhole = 0.9999;

// Percent sliders become fractions: the product is taken in double and then held in single precision.
float fraction_of(const PF_ParamDef* param) {
    return static_cast<float>(param->u.fs_d.value * 0.01);
}

float single_of(const PF_ParamDef* param) {
    return static_cast<float>(param->u.fs_d.value);
}

}  // namespace

float fixed_degrees(PF_Fixed value) {
    return static_cast<float>(FIX_2_FLOAT(value));
}

int32_t total_frames(A_long total_time, A_long time_step) {
    if (time_step == 0) {
        return total_time;
    }
    // In 64 bits so that a time near the end of the 32-bit range cannot wrap to a negative length.
    const int64_t frames = (static_cast<int64_t>(total_time) + time_step / 2) / time_step;
    return static_cast<int32_t>(std::clamp<int64_t>(frames, INT32_MIN, INT32_MAX));
}

double downsample_factor(PF_RationalScale ratio) {
    if (ratio.den == 0) {
        return 1.0;
    }
    return static_cast<double>(ratio.num) / static_cast<double>(ratio.den);
}

RenderValues gather_render_values(const PF_InData& in_data, PF_ParamDef* const params[]) {
    RenderValues v;
    v.layers = params[kLayers]->u.sd.value;
    v.instances = params[kInstances]->u.sd.value;
    v.anchor_x = params[kAnchorX]->u.fs_d.value;
    v.anchor_y = params[kAnchorY]->u.fs_d.value;
    v.flip_mode = params[kFlip]->u.pd.value;
    v.flip_random_mode = params[kFlipRandomness]->u.pd.value;
    v.evolution_fraction = static_cast<float>(params[kEvolution]->u.fs_d.value * 0.01 * kEvolutionShortOfWhole);
    v.evolution_randomness = fraction_of(params[kEvolutionRandomness]);
    v.scale_percent = single_of(params[kScale]);
    v.scale_randomness = fraction_of(params[kScaleRandomness]);
    v.rotation_degrees = fixed_degrees(params[kRotation]->u.ad.value);
    v.rotation_randomness = fraction_of(params[kRotationRandomness]);
    v.opacity_fraction = fraction_of(params[kOpacity]);
    v.opacity_randomness = fraction_of(params[kOpacityRandomness]);
    v.incremental = params[kMode]->u.pd.value == kModeIncremental;
    v.distribution = params[kDistribution]->u.pd.value;
    v.time_factor = fraction_of(params[kTimeFactor]);
    v.time_factor_randomness = fraction_of(params[kTimeFactorRandomness]);
    v.time_offset_randomness = single_of(params[kTimeOffsetRandomness]);
    v.auto_orient = params[kAutoOrient]->u.bd.value != 0;
    v.bidirectional = params[kBidirectional]->u.bd.value != 0;
    v.alignment = params[kBidirectionalAlignment]->u.pd.value;
    v.use_all_paths = params[kUseAllPaths]->u.bd.value != 0;
    // Sequential walks repeat one seed per pass; in Constant mode the stream runs on, so the option has no meaning.
    v.sequentially = v.incremental && params[kSequentially]->u.bd.value != 0;
    v.seed = params[kSeed]->u.sd.value;
    v.composite = params[kComposite]->u.pd.value;
    v.downsample_x = downsample_factor(in_data.downsample_x);
    v.downsample_y = downsample_factor(in_data.downsample_y);
    v.total_frames = total_frames(in_data.total_time, in_data.time_step);
    v.path_selection = params[kPathSelection]->u.path_d.path_id;
    return v;
}

}  // namespace vorlane::effect
