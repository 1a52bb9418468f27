#include "frames/RenderSuites.h"

#include "session/SuiteRegistry.h"

namespace vorlane::host {

void register_render_suites(SuiteRegistry& registry) {
    registry.add(kPFPathQuerySuite, kPFPathQuerySuiteVersion1, &path_query_suite());
    registry.add(kPFPathDataSuite, kPFPathDataSuiteVersion1, &path_data_suite());
    registry.add(kPFWorldSuite, kPFWorldSuiteVersion1, &world_suite1());
    registry.add(kPFWorldSuite, kPFWorldSuiteVersion2, &world_suite2());
    registry.add(kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1, &world_transform_suite());
}

}  // namespace vorlane::host
