#include "params/FrequencyShares.h"

#include <algorithm>
#include <cmath>

#include "params/ParamIndex.h"

namespace vorlane::effect {

int layers_in_use(PF_ParamValue layers_value) {
    return std::clamp(static_cast<int>(layers_value), 1, kMaxLayers);
}

double equal_share(int layer_count) {
    return 100.0 / layer_count;
}

float share_sum(std::span<const double> frequencies) {
    float sum = 0.0f;
    for (double frequency : frequencies) {
        sum = static_cast<float>(static_cast<double>(sum) + frequency);
    }
    return sum;
}

bool can_rescale(float sum) {
    return std::isfinite(sum) && sum > 0.0f;
}

double rescaled_share(double frequency, float sum) {
    return frequency / static_cast<double>(sum) * 100.0;
}

}  // namespace vorlane::effect
