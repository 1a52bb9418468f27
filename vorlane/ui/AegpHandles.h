// The effect and stream handles the host lends through the AEGP suites. A handle is an opaque number that is never
// reused, so a handle given back and then used again is recognised and answered with an error instead of reaching
// freed memory. Handles still lent when a command ends are the effect's leaks: the session asks for them, reports
// them and takes them back.
#pragma once

#include <string>
#include <vector>

#include "AE_GeneralPlug.h"

namespace vorlane::host {

class Session;

// The AEGP answer to a handle that is not (or no longer) one the host lent: A_Err_PARAMETER.
constexpr A_Err kStaleHandleError = 3;

enum class AegpHandleKind { effect, stream };

struct AegpHandleInfo {
    AegpHandleKind kind = AegpHandleKind::effect;
    Session* session = nullptr;     // the effect instance the handle was lent for
    PF_ParamIndex param_index = 0;  // streams only
};

AEGP_EffectRefH lend_effect_handle(Session* session);
AEGP_StreamRefH lend_stream_handle(Session* session, PF_ParamIndex param_index);

// The handle's record while it is lent; false for a handle never lent, already given back, or of the other kind.
bool find_lent_handle(const void* handle, AegpHandleKind kind, AegpHandleInfo* info);
A_Err take_back_handle(const void* handle, AegpHandleKind kind);

// Descriptions of the handles still lent for this session ("stream of parameter 7"); they are taken back.
std::vector<std::string> reclaim_leaked_handles(const Session* session);
int lent_handle_count(const Session* session);

}  // namespace vorlane::host
