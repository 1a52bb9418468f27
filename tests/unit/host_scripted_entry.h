// An entry point whose behaviour each test writes as a lambda, so the host can be driven without the effect.
#pragma once

#include <functional>

#include "AE_Effect.h"

namespace vorlane::host::test {

using EntryScript = std::function<PF_Err(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void*)>;

inline EntryScript& entry_script() {
    static EntryScript script;
    return script;
}

inline PF_Err scripted_entry(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef*,
                             void* extra) {
    return entry_script() ? entry_script()(cmd, in_data, out_data, params, extra) : PF_Err_NONE;
}

// Installs a script for the lifetime of the object.
struct ScriptedEntry {
    explicit ScriptedEntry(EntryScript script) { entry_script() = std::move(script); }
    ~ScriptedEntry() { entry_script() = nullptr; }
};

}  // namespace vorlane::host::test
