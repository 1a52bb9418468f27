#include "params/UserChangedParam.h"

namespace vorlane {

PF_Err user_changed_param(PF_InData*, PF_OutData*, PF_ParamDef*[], const PF_UserChangedParamExtra*) {
    return PF_Err_NONE;
}

}  // namespace vorlane
