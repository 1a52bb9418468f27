// The 40 parameters the effect adds, as data: what parameter set-up hands the host, row by row in index order.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

struct ParamRow {
    PF_ParamIndex index;  // also the disk id; of the first copy when the row repeats
    const char* name;     // the name itself, or its stem before the copy number; null for the group end
    int copies;           // 1, or the five numbered layer or frequency slots
    PF_ParamType param_type;
    PF_ParamFlags flags;
    // Sliders: the ranges; float sliders narrow them to single precision.
    double valid_min;
    double valid_max;
    double slider_min;
    double slider_max;
    // The default: a number, a popup choice counted from 1, 0 or 1 for a checkbox, degrees for the angle, the mask
    // number for the path.
    double dephault;
    PF_ValueDisplayFlags display_flags;
    // Popup choices separated by "|", the button caption or the checkbox caption; lives as long as the module.
    const char* text;
    A_short num_choices;
};

inline constexpr int kParamRowCount = 32;
extern const ParamRow kParamRows[kParamRowCount];

inline constexpr A_short kFloatSliderPrecision = 1;
inline constexpr PF_FpShort kCurveTolerance = 0.05f;

}  // namespace vorlane::effect
