// Basic integer and floating-point types of the host interface, spelled as the host SDK spells them.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef char A_char;
typedef uint8_t A_u_char;
typedef uint8_t A_Boolean;
typedef int64_t A_intptr_t;
typedef uint64_t A_HandleSize;
typedef double A_FpLong;
typedef float A_FpShort;
typedef A_long A_Err;
