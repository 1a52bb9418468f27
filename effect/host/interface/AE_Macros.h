// The host's 16.16 fixed-point conversions, spelled as the host SDK spells them. A PF_Fixed counts 1/65536ths: the
// high half is the whole part (rounded toward minus infinity), the low half a positive fraction.
#pragma once

#include "AE_Effect.h"

#define INT2FIX(X) ((PF_Fixed)((A_long)(X) << 16))
#define FIX2INT(X) ((A_long)((PF_Fixed)(X) >> 16))
// Exact: a 32-bit count of 1/65536ths is a double without rounding.
#define FIX_2_FLOAT(X) ((PF_FpLong)(X) / 65536.0)
// Rounds halves away from zero.
#define FLOAT2FIX(F) ((PF_Fixed)((F)*65536 + (((F) < 0) ? -0.5 : 0.5)))
