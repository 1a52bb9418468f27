// Who the effect says it is. Global set-up writes these numbers into PF_OutData and the PiPL carries the same ones;
// the host checks that the two agree, so both are made from here. The numbers come from the project's version in the
// top-level CMakeLists.txt, which the packages are named by too.
#pragma once

#include "AE_Effect.h"
#include "entry/VersionNumbers.h"

namespace vorlane::effect {

constexpr int kMajorVersion = VORLANE_VERSION_MAJOR;
constexpr int kMinorVersion = VORLANE_VERSION_MINOR;
constexpr int kBugVersion = VORLANE_VERSION_PATCH;
constexpr int kBuildVersion = 1;

// PF_VERSION keeps 3 bits of the major version and 4 of the minor and bug versions; a project version past them
// would wrap silently into another effect version.
static_assert(kMajorVersion >= 0 && kMajorVersion < 8, "the major version must fit PF_VERSION's 3 bits");
static_assert(kMinorVersion >= 0 && kMinorVersion < 16, "the minor version must fit PF_VERSION's 4 bits");
static_assert(kBugVersion >= 0 && kBugVersion < 16, "the patch version must fit PF_VERSION's 4 bits");

constexpr A_u_long kEffectVersion =
    PF_VERSION(kMajorVersion, kMinorVersion, kBugVersion, PF_Stage_DEVELOP, kBuildVersion);

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
