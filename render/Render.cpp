#include "render/Render.h"

namespace vorlane {

PF_Err render(PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*) { return PF_Err_NONE; }

}  // namespace vorlane
