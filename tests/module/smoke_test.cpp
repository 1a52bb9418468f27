#include <gtest/gtest.h>
#include "host/AE_Effect.h"
TEST(ModuleSmoke, UnhandledCommandSucceeds) { SUCCEED(); }
