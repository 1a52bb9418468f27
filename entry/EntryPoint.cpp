// Placeholder entry point until dispatch lands.
#include "host/AE_Effect.h"
#include "host/entry.h"

extern "C" DllExport PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*) {
    return PF_Err_NONE;
}
