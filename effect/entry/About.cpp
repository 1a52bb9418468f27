#include "entry/About.h"

#include "entry/AboutStrings.h"
#include "entry/Version.h"
#include "host/HostSuiteHandler.h"

namespace vorlane::effect {

PF_Err about(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[], PF_LayerDef* /*output*/) {
    HostSuiteHandler suites(in_data->pica_basicP);
    suites.ansiSuite()->sprintf(out_data->return_msg, "%s - v%d.%d\r\r%s", about_string(kAboutName), kMajorVersion,
                                kMinorVersion, about_string(kAboutDescription));
    return PF_Err_NONE;
}

}  // namespace vorlane::effect
