// One host function call as the effect makes it, passing through the session's CallGate.
//
// Host functions do not make HostCalls themselves: they serve the effect through serve(...) (Serve.h), which makes
// one, records the arguments, asks failed() and does the work only when the gate lets it through. A call fails
// when a fault rule says so or when its effect_ref is stale. Functions that cannot fail (ANSI arithmetic, string
// copies) pass can_fail = false and are only counted. The call is reported to the gate's observer when the HostCall
// ends, and timed into the profile bound to the thread, if any (CallProfile.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "AE_Effect.h"
#include "session/CallGate.h"
#include "session/CallProfile.h"
#include "session/CommandContext.h"

namespace vorlane::host {

std::string format_call_arg(const char* text);
std::string format_call_arg(std::string_view text);
std::string format_call_arg(const void* pointer);
std::string format_call_arg(double value);
std::string format_call_arg(std::int64_t value);
std::string format_call_arg(std::uint64_t value);

// How many host calls are under way on the calling thread: above 0 the host, not the effect, is running. A test
// that makes the effect's own allocations fail leaves the host's alone by it.
int host_calls_in_progress();
// The function name of the innermost host call under way on the calling thread, or null: what a test that makes the
// host's own allocations fail names the failure by.
const char* innermost_host_call();

class HostCall {
  public:
    HostCall(CommandContext* context, const char* function, bool can_fail = true);
    // Reports the call; a report that cannot be made (the observer or the profile out of memory) is dropped.
    ~HostCall();
    HostCall(const HostCall&) = delete;
    HostCall& operator=(const HostCall&) = delete;

    // Records an argument for the trace; costs nothing while nobody observes.
    template <class T>
    HostCall& arg(const char* name, const T& value) {
        if (record_) {
            record_->args.emplace_back(name, format_value(value));
        }
        return *this;
    }

    bool failed() const { return failure_.has_value(); }
    A_long error() const { return failure_.value_or(PF_Err_NONE); }
    // Notes the result of the work and hands it back.
    A_long result(A_long err);
    CommandContext* context() const { return context_; }

  private:
    template <class T>
    static std::string format_value(const T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            return value ? "true" : "false";
        } else if constexpr (std::is_floating_point_v<T>) {
            return format_call_arg(static_cast<double>(value));
        } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
            return format_call_arg(static_cast<std::int64_t>(value));
        } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
            return format_call_arg(static_cast<std::uint64_t>(value));
        } else if constexpr (std::is_convertible_v<T, const char*>) {
            return format_call_arg(static_cast<const char*>(value));
        } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>) {
            return format_call_arg(std::string_view(value));
        } else {
            return format_call_arg(static_cast<const void*>(value));
        }
    }

    // First member, so the count covers everything the call does, its own set-up included.
    struct Depth {
        explicit Depth(const char* function);
        ~Depth();
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
        const char* outer;
    } depth_;
    CommandContext* context_;
    const char* function_;
    CallProfile* profile_ = nullptr;
    std::chrono::steady_clock::time_point start_;
    std::optional<A_long> failure_;
    std::optional<HostCallRecord> record_;
    A_long err_ = PF_Err_NONE;
};

}  // namespace vorlane::host
