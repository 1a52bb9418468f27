#include <gtest/gtest.h>

#include <string>

#include "support/MiniHost.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);

namespace vorlane {
namespace {

using test::MiniHost;

TEST(About, WritesNameVersionAndDescriptionWithRoomToSpare) {
    MiniHost host;
    ASSERT_EQ(host.run(EntryPointFunc, PF_Cmd_ABOUT), PF_Err_NONE);
    const std::string text = host.out_data.return_msg;
    EXPECT_EQ(text,
              "Quelvar - v1.0\r\rAnimate sprites along paths.\rDraws copies of up to five layers along the layer's "
              "masks, with seeded random variation.");
    // The host formats without a length check: the text must stay well inside the 256-character field.
    EXPECT_LE(text.size(), 200u);
    EXPECT_EQ(host.acquired, host.released);
    EXPECT_EQ(host.released.size(), 1u);
}

}  // namespace
}  // namespace vorlane
