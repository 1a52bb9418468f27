#include "entry/Dispatch.h"

#include "entry/About.h"
#include "entry/GlobalSetup.h"
#include "params/ParamsSetup.h"
#include "params/UpdateParamsUi.h"
#include "params/UserChangedParam.h"
#include "render/Render.h"

namespace vorlane::effect {

namespace {

bool is_handled(PF_Cmd cmd) {
    switch (cmd) {
        case PF_Cmd_ABOUT:
        case PF_Cmd_GLOBAL_SETUP:
        case PF_Cmd_PARAMS_SETUP:
        case PF_Cmd_RENDER:
        case PF_Cmd_USER_CHANGED_PARAM:
        case PF_Cmd_UPDATE_PARAMS_UI:
            return true;
        default:
            return false;
    }
}

}  // namespace

PF_Err dispatch(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                void* extra) {
    if (!is_handled(cmd)) {
        return PF_Err_NONE;
    }
    // Every handler reads the host's records; a host that hands us none gets an error instead of a crash.
    if (in_data == nullptr || out_data == nullptr) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    switch (cmd) {
        case PF_Cmd_ABOUT:
            return about(in_data, out_data, params, output);
        case PF_Cmd_GLOBAL_SETUP:
            return global_setup(in_data, out_data, params, output);
        case PF_Cmd_PARAMS_SETUP:
            return params_setup(in_data, out_data, params, output);
        case PF_Cmd_RENDER:
            return render(in_data, out_data, params, output);
        case PF_Cmd_USER_CHANGED_PARAM:
            return user_changed_param(in_data, out_data, params, static_cast<const PF_UserChangedParamExtra*>(extra));
        case PF_Cmd_UPDATE_PARAMS_UI:
            return update_params_ui(in_data, out_data, params, extra);
    }
    return PF_Err_NONE;
}

}  // namespace vorlane::effect
