#include "render/InstanceDraws.h"

namespace vorlane::effect {

InstanceDraws draw_instance_variations(RandomStream& stream, const RenderValues& values, float walk_step) {
    InstanceDraws d;
    const float u1 = unit_draw(next_value(stream));
    d.position_jitter = static_cast<float>((static_cast<double>(u1) - 0.5) *
                                           static_cast<double>(walk_step * values.evolution_randomness) * 2.0);
    const float u2 = unit_draw(next_value(stream));
    d.scale_factor = static_cast<float>(1.0 - static_cast<double>(values.scale_randomness * u2));
    const float u3 = unit_draw(next_value(stream));
    d.rotation_jitter =
        static_cast<float>((360.0 * static_cast<double>(values.rotation_randomness)) * (static_cast<double>(u3) - 0.5));
    const float u4 = unit_draw(next_value(stream));
    d.opacity_factor = static_cast<float>(1.0 - static_cast<double>(values.opacity_randomness * u4));
    const float u5 = unit_draw(next_value(stream));
    d.time_factor_mul = static_cast<float>(1.0 + static_cast<double>(values.time_factor_randomness * u5));
    // The time offset alone divides in double precision.
    const double u6 = unit_draw_double(next_value(stream));
    d.time_offset_frames = static_cast<float>(static_cast<double>(-values.time_offset_randomness) * u6);
    return d;
}

}  // namespace vorlane::effect
