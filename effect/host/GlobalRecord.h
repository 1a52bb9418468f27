// The one record the effect keeps for the module's lifetime, in a host handle held in global_data. Written only at
// global set-up, read by later commands: it sits beside the other things the host hands every command, where both
// the entry and the parameter handlers can read it.
#pragma once

#include "AE_GeneralPlug.h"

namespace vorlane::effect {

struct GlobalRecord {
    A_Boolean initialized;
    AEGP_PluginID plugin_id;
};
static_assert(sizeof(GlobalRecord) == 8, "the host allocates exactly 8 bytes for the global record");

}  // namespace vorlane::effect
