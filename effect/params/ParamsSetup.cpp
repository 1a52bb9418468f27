#include "params/ParamsSetup.h"

#include <cstring>
#include <string>

#include "AE_EffectCB.h"
#include "AE_Macros.h"
#include "params/ParamIndex.h"
#include "params/ParamTable.h"

namespace vorlane::effect {

namespace {

// Index -1 appends after the last parameter added.
constexpr PF_ParamIndex kAppend = -1;

// Truncated toward zero; the table's angles are whole degrees, which no rounding changes.
PF_Fixed degrees_to_fixed(double degrees) {
    return static_cast<PF_Fixed>(degrees * INT2FIX(1));
}

void fill_type_specific(const ParamRow& row, PF_ParamDef& def) {
    switch (row.param_type) {
        case PF_Param_SLIDER: {
            PF_SliderDef& slider = def.u.sd;
            slider.valid_min = static_cast<PF_ParamValue>(row.valid.min);
            slider.valid_max = static_cast<PF_ParamValue>(row.valid.max);
            slider.slider_min = static_cast<PF_ParamValue>(row.slider.min);
            slider.slider_max = static_cast<PF_ParamValue>(row.slider.max);
            slider.dephault = static_cast<PF_ParamValue>(row.dephault);
            slider.value = slider.dephault;
            break;
        }
        case PF_Param_FLOAT_SLIDER: {
            PF_FloatSliderDef& slider = def.u.fs_d;
            slider.value = row.dephault;
            slider.valid_min = static_cast<PF_FpShort>(row.valid.min);
            slider.valid_max = static_cast<PF_FpShort>(row.valid.max);
            slider.slider_min = static_cast<PF_FpShort>(row.slider.min);
            slider.slider_max = static_cast<PF_FpShort>(row.slider.max);
            slider.dephault = static_cast<PF_FpShort>(row.dephault);
            slider.precision = kFloatSliderPrecision;
            slider.display_flags = row.display_flags;
            slider.fs_flags = PF_FSliderFlag_NONE;
            slider.curve_tolerance = kCurveTolerance;
            break;
        }
        case PF_Param_POPUP:
            def.u.pd.num_choices = row.choices.count;
            def.u.pd.dephault = static_cast<A_short>(row.dephault);
            def.u.pd.value = def.u.pd.dephault;
            def.u.pd.u.namesptr = row.choices.names;
            break;
        case PF_Param_CHECKBOX:
            def.u.bd.dephault = static_cast<PF_Boolean>(row.dephault);
            def.u.bd.value = def.u.bd.dephault;
            def.u.bd.u.nameptr = row.caption;
            break;
        case PF_Param_BUTTON:
            def.u.button_d.u.namesptr = row.caption;
            break;
        case PF_Param_ANGLE:
            def.u.ad.dephault = degrees_to_fixed(row.dephault);
            def.u.ad.value = def.u.ad.dephault;
            break;
        case PF_Param_LAYER:
            def.u.ld.dephault = static_cast<A_long>(row.dephault);
            break;
        case PF_Param_PATH:
            def.u.path_d.dephault = static_cast<A_long>(row.dephault);
            break;
        default:  // the group bracket carries nothing of its own
            break;
    }
}

void fill_param(const PF_InData& in_data, const ParamRow& row, const char* name, PF_ParamIndex index,
                PF_ParamDef& def) {
    std::memset(&def, 0, sizeof def);
    def.flags = row.flags;
    def.param_type = row.param_type;
    if (name != nullptr) {
        in_data.utils->ansi.strcpy(def.name, name);
    }
    fill_type_specific(row, def);
    def.uu.id = index;
}

PF_Err add_param(PF_InData& in_data, PF_ParamIndex index, PF_ParamDef& def) {
    // "Path Selection" names its own index, and a host that cannot add it still gets the rest of the set.
    if (index == kPathSelection) {
        static_cast<void>(in_data.inter.add_param(in_data.effect_ref, kPathSelection, &def));
        return PF_Err_NONE;
    }
    return in_data.inter.add_param(in_data.effect_ref, kAppend, &def);
}

PF_Err add_row(PF_InData& in_data, const ParamRow& row) {
    PF_ParamDef def;
    if (row.copies == 1) {
        fill_param(in_data, row, row.name, row.index, def);
        return add_param(in_data, row.index, def);
    }
    for (int n = 1; n <= row.copies; ++n) {
        const PF_ParamIndex index = row.index + n - 1;
        const std::string name = row.name + std::to_string(n);
        fill_param(in_data, row, name.c_str(), index, def);
        if (const PF_Err err = add_param(in_data, index, def)) {
            return err;
        }
    }
    return PF_Err_NONE;
}

}  // namespace

PF_Err params_setup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[], PF_LayerDef* /*output*/) {
    for (const ParamRow& row : param_rows()) {
        if (const PF_Err err = add_row(*in_data, row)) {
            return err;
        }
    }
    out_data->num_params = kParamCount;
    return PF_Err_NONE;
}

}  // namespace vorlane::effect
