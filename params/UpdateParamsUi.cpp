#include "params/UpdateParamsUi.h"

namespace vorlane {

PF_Err update_params_ui(PF_InData*, PF_OutData*, PF_ParamDef*[], void*) { return PF_Err_NONE; }

}  // namespace vorlane
