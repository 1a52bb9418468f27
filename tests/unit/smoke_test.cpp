#include <gtest/gtest.h>
#include "host/AE_Effect.h"
extern "C" PF_Err EntryPointFunc(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*);
TEST(Smoke, UnhandledCommandSucceeds) { EXPECT_EQ(EntryPointFunc(PF_Cmd_GLOBAL_SETDOWN, nullptr, nullptr, nullptr, nullptr, nullptr), PF_Err_NONE); }
