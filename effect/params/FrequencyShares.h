// The arithmetic that keeps the frequency sliders of the layers in use as shares of 100. Plain values in, plain
// values out, so it can be checked without a host.
#pragma once

#include <span>

#include "AE_Effect.h"

namespace vorlane::effect {

// "Layers" as stored may come from an old or hand-edited project; everything indexed by it must stay within the
// five slots.
int layers_in_use(PF_ParamValue layers_value);

// The share each of n layers gets after a change of "Layers" or a press of "Reset Frequencies".
double equal_share(int layer_count);

// The frequencies of the layers in use added up the way the sliders have always been added: a single-precision
// running sum, each step widened to double and rounded back. The rounding shows in the last places of the shares.
float share_sum(std::span<const double> frequencies);

// A sum of zero means every slider in use stands at 0, which is what the user just asked for; there is no
// proportion to keep, so the sliders are left alone rather than divided by zero.
bool can_rescale(float sum);

// One slider rescaled so that the shares keep the proportions the user set and add up to 100.
double rescaled_share(double frequency, float sum);

}  // namespace vorlane::effect
