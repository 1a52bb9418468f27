// The one way a host function serves the effect: the call passes the gate (counted, perhaps failed by a fault rule,
// traced), the work runs only when the gate lets it through, and nothing the host throws reaches the effect.
// Running out of memory answers PF_Err_OUT_OF_MEMORY, any other exception PF_Err_INTERNAL_STRUCT_DAMAGED; setting
// up the call is inside the guarded region too, since the gate's counts and the trace record allocate.
//
//     PF_Err fill(PF_ProgPtr effect_ref, const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world) {
//         return serve(
//             context_of(effect_ref), "fill", [&](HostCall& call) { call.arg("rect", rect).arg("world", world); },
//             [&](HostCall&) { return fill_world(color, rect, world); });
//     }
//
// `record` notes the arguments for the trace (no_args when there are none); `work` does the call's work and returns
// its error code. Functions that answer with a pointer or a value use serve_value, functions that cannot fail
// serve_unfailing.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>

#include "session/HostCall.h"

namespace vorlane::host {

// The code the effect gets for the exception being handled; call it only inside a catch block.
A_long error_of_current_exception() noexcept;

inline constexpr auto no_args = [](HostCall&) {};

namespace detail {

// The shared shape: `answer` turns an error code into what the function returns, `work` returns it directly.
template <class Record, class Work, class Answer>
auto serve_through_gate(CommandContext* context, const char* function, Record& record, Work& work,
                        Answer& answer) noexcept -> std::invoke_result_t<Work&, HostCall&> {
    try {
        HostCall call(context, function);
        try {
            record(call);
            if (call.failed()) {
                return answer(call.error());
            }
            return work(call);
        } catch (...) {
            return answer(call.result(error_of_current_exception()));
        }
    } catch (...) {
        return answer(error_of_current_exception());
    }
}

}  // namespace detail

// A function that answers with an error code (PF_Err, A_Err, SPErr): the gate's failure, or what the work returns.
template <class Record, class Work>
A_long serve(CommandContext* context, const char* function, Record&& record, Work&& work) noexcept {
    auto noted = [&work](HostCall& call) -> A_long { return call.result(work(call)); };
    auto answer = [](A_long err) { return err; };
    return detail::serve_through_gate(context, function, record, noted, answer);
}

// A function that answers with a pointer or a value: a value-initialised one (null, 0) when the gate fails the call
// or the work throws. The work notes its own error code with call.result, for the trace.
template <class Record, class Work>
auto serve_value(CommandContext* context, const char* function, Record&& record, Work&& work) noexcept
    -> std::invoke_result_t<Work&, HostCall&> {
    using Value = std::invoke_result_t<Work&, HostCall&>;
    auto answer = [](A_long) { return Value{}; };
    return detail::serve_through_gate(context, function, record, work, answer);
}

// A function that cannot fail (ANSI arithmetic, string copies, unlocking): counted but never failed by a fault
// rule. Its work is done even when the gate's own bookkeeping runs out of memory, since the effect has no way to
// hear of it; only a work that throws answers a value-initialised result.
template <class Record, class Work>
auto serve_unfailing(CommandContext* context, const char* function, Record&& record, Work&& work) noexcept
    -> std::invoke_result_t<Work&> {
    using Value = std::invoke_result_t<Work&>;
    std::optional<HostCall> call;
    try {
        call.emplace(context, function, false);
        record(*call);
    } catch (...) {
        // The call goes uncounted or untraced; the answer does not depend on it.
    }
    try {
        return work();
    } catch (...) {
        if constexpr (!std::is_void_v<Value>) {
            return Value{};
        }
    }
}

}  // namespace vorlane::host
