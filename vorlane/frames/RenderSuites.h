// The host side of the suites a render uses, each function passing through the session's call gate. They act on
// the frame the effect_ref names (FrameState.h) and refuse any other.
#pragma once

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"

namespace vorlane::host {

class SuiteRegistry;

const PF_PathQuerySuite1& path_query_suite();
const PF_PathDataSuite1& path_data_suite();
const PF_WorldSuite1& world_suite1();
const PF_WorldSuite2& world_suite2();
const PF_WorldTransformSuite1& world_transform_suite();

void register_render_suites(SuiteRegistry& registry);

}  // namespace vorlane::host
