// Who the effect says it is. Global set-up writes these numbers into PF_OutData and the PiPL carries the same ones;
// the host checks that the two agree, so both are made from here.
#pragma once

#include "AE_Effect.h"

namespace vorlane::effect {

constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;
constexpr int kBugVersion = 0;
constexpr int kBuildVersion = 1;

constexpr A_u_long kEffectVersion =
    PF_VERSION(kMajorVersion, kMinorVersion, kBugVersion, PF_Stage_DEVELOP, kBuildVersion);
static_assert(kEffectVersion == 0x80001);

// Layers are checked out at other times than the current one, 16-bit worlds are rendered, and the host is to send
// PF_Cmd_UPDATE_PARAMS_UI so that unused layer slots can be hidden.
constexpr PF_OutFlags kOutFlags =
    PF_OutFlag_WIDE_TIME_INPUT | PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
static_assert(kOutFlags == 0x06000002);

// No float-colour flag: only 8-bit and 16-bit worlds are rendered.
constexpr PF_OutFlags2 kOutFlags2 = PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG |
                                    PF_OutFlag2_AUTOMATIC_WIDE_TIME_INPUT | PF_OutFlag2_SUPPORTS_THREADED_RENDERING;
static_assert(kOutFlags2 == 0x08020008);

// The name the effect is known by in projects and under which it registers with the AEGP layer.
constexpr char kMatchName[] = "ADBE Vorlane";

}  // namespace vorlane::effect
