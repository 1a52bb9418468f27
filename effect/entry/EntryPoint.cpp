#include "AE_Effect.h"
#include "entry.h"
#include "entry/Dispatch.h"
#include "entry/Firewall.h"

extern "C" DllExport PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                                           PF_LayerDef* output, void* extra) {
    return vorlane::effect::run_guarded(
        [&] { return vorlane::effect::dispatch(cmd, in_data, out_data, params, output, extra); });
}
