#include <gtest/gtest.h>

#include <string>

#include "session/Session.h"
#include "suites/StandardSuites.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane::host {
namespace {

TEST(About, WritesNameVersionAndDescriptionWithRoomToSpare) {
    Session session(EntryPointFunc, standard_services());
    std::string text;
    ASSERT_EQ(session.about(&text), PF_Err_NONE);
    EXPECT_EQ(text,
              "Quelvar - v1.0\r\rAnimate sprites along paths.\rDraws copies of up to five layers along the layer's "
              "masks, with seeded random variation.");
    // The host formats without a length check: the text must stay well inside the 256-character field.
    EXPECT_LE(text.size(), 200u);
    EXPECT_EQ(session.suites().acquire_order(), (std::vector<SuiteKey>{{"PF ANSI Suite", 1}}));
    EXPECT_EQ(session.suites().outstanding(), 0);
}

}  // namespace
}  // namespace vorlane::host
