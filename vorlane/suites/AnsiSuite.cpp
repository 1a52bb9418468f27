#include "suites/AnsiSuite.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "session/Serve.h"

namespace vorlane::host {
namespace {

A_FpLong unary(const char* function, A_FpLong (*fn)(A_FpLong), A_FpLong x) {
    return serve_unfailing(
        current_context(), function, [&](HostCall& call) { call.arg("x", x); }, [&] { return fn(x); });
}

A_FpLong binary(const char* function, A_FpLong (*fn)(A_FpLong, A_FpLong), A_FpLong a, A_FpLong b) {
    return serve_unfailing(
        current_context(), function, [&](HostCall& call) { call.arg("a", a).arg("b", b); }, [&] { return fn(a, b); });
}

A_FpLong ansi_atan(A_FpLong x) {
    return unary(
        "atan", [](A_FpLong v) { return std::atan(v); }, x);
}
A_FpLong ansi_atan2(A_FpLong y, A_FpLong x) {
    return binary(
        "atan2", [](A_FpLong a, A_FpLong b) { return std::atan2(a, b); }, y, x);
}
A_FpLong ansi_ceil(A_FpLong x) {
    return unary(
        "ceil", [](A_FpLong v) { return std::ceil(v); }, x);
}
A_FpLong ansi_cos(A_FpLong x) {
    return unary(
        "cos", [](A_FpLong v) { return std::cos(v); }, x);
}
A_FpLong ansi_exp(A_FpLong x) {
    return unary(
        "exp", [](A_FpLong v) { return std::exp(v); }, x);
}
A_FpLong ansi_fabs(A_FpLong x) {
    return unary(
        "fabs", [](A_FpLong v) { return std::fabs(v); }, x);
}
A_FpLong ansi_floor(A_FpLong x) {
    return unary(
        "floor", [](A_FpLong v) { return std::floor(v); }, x);
}
A_FpLong ansi_fmod(A_FpLong x, A_FpLong y) {
    return binary(
        "fmod", [](A_FpLong a, A_FpLong b) { return std::fmod(a, b); }, x, y);
}
A_FpLong ansi_hypot(A_FpLong x, A_FpLong y) {
    return binary(
        "hypot", [](A_FpLong a, A_FpLong b) { return std::hypot(a, b); }, x, y);
}
A_FpLong ansi_log(A_FpLong x) {
    return unary(
        "log", [](A_FpLong v) { return std::log(v); }, x);
}
A_FpLong ansi_log10(A_FpLong x) {
    return unary(
        "log10", [](A_FpLong v) { return std::log10(v); }, x);
}
A_FpLong ansi_pow(A_FpLong x, A_FpLong y) {
    return binary(
        "pow", [](A_FpLong a, A_FpLong b) { return std::pow(a, b); }, x, y);
}
A_FpLong ansi_sin(A_FpLong x) {
    return unary(
        "sin", [](A_FpLong v) { return std::sin(v); }, x);
}
A_FpLong ansi_sqrt(A_FpLong x) {
    return unary(
        "sqrt", [](A_FpLong v) { return std::sqrt(v); }, x);
}
A_FpLong ansi_tan(A_FpLong x) {
    return unary(
        "tan", [](A_FpLong v) { return std::tan(v); }, x);
}
A_FpLong ansi_asin(A_FpLong x) {
    return unary(
        "asin", [](A_FpLong v) { return std::asin(v); }, x);
}
A_FpLong ansi_acos(A_FpLong x) {
    return unary(
        "acos", [](A_FpLong v) { return std::acos(v); }, x);
}

// Unbounded, like the C function the host hands out: the caller sizes the buffer.
int ansi_sprintf(A_char* buffer, const A_char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const int written = serve_unfailing(
        current_context(), "sprintf", [&](HostCall& call) { call.arg("format", format); },
        [&] { return buffer == nullptr || format == nullptr ? -1 : std::vsprintf(buffer, format, args); });
    va_end(args);
    return written;
}

A_char* ansi_strcpy(A_char* dst, const A_char* src) {
    return serve_unfailing(
        current_context(), "strcpy", [&](HostCall& call) { call.arg("src", src); },
        [&] { return dst == nullptr || src == nullptr ? dst : std::strcpy(dst, src); });
}

constexpr PF_ANSICallbacksSuite1 kAnsiSuite{
    ansi_atan,  ansi_atan2, ansi_ceil, ansi_cos,  ansi_exp, ansi_fabs,    ansi_floor,  ansi_fmod, ansi_hypot, ansi_log,
    ansi_log10, ansi_pow,   ansi_sin,  ansi_sqrt, ansi_tan, ansi_sprintf, ansi_strcpy, ansi_asin, ansi_acos};

}  // namespace

const PF_ANSICallbacksSuite1& ansi_suite() {
    return kAnsiSuite;
}

PF_ANSICallbacks ansi_callbacks() {
    return PF_ANSICallbacks{ansi_atan, ansi_atan2,   ansi_ceil,   ansi_cos,   ansi_exp,  ansi_fabs, ansi_floor,
                            ansi_fmod, ansi_hypot,   ansi_log,    ansi_log10, ansi_pow,  ansi_sin,  ansi_sqrt,
                            ansi_tan,  ansi_sprintf, ansi_strcpy, ansi_asin,  ansi_acos, {0}};
}

}  // namespace vorlane::host
