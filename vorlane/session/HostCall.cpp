#include "session/HostCall.h"

#include <cinttypes>

namespace vorlane::host {

namespace {
thread_local int host_call_depth = 0;
thread_local const char* innermost_function = nullptr;
}  // namespace

int host_calls_in_progress() {
    return host_call_depth;
}

const char* innermost_host_call() {
    return innermost_function;
}

HostCall::Depth::Depth(const char* function) : outer(innermost_function) {
    ++host_call_depth;
    innermost_function = function;
}

HostCall::Depth::~Depth() {
    --host_call_depth;
    innermost_function = outer;
}

std::string format_call_arg(const char* text) {
    return text == nullptr ? "null" : format_call_arg(std::string_view(text));
}

std::string format_call_arg(std::string_view text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

std::string format_call_arg(const void* pointer) {
    if (pointer == nullptr) {
        return "null";
    }
    char text[24];
    std::snprintf(text, sizeof text, "0x%" PRIxPTR, reinterpret_cast<std::uintptr_t>(pointer));
    return text;
}

std::string format_call_arg(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string format_call_arg(std::int64_t value) {
    return std::to_string(value);
}
std::string format_call_arg(std::uint64_t value) {
    return std::to_string(value);
}

HostCall::HostCall(CommandContext* context, const char* function, bool can_fail)
    : depth_(function), context_(context), function_(function) {
    if (context_ == nullptr || context_->gate == nullptr) {
        // No command of ours is running: an effect_ref that is stale or made up. Nothing to count it against.
        if (can_fail) {
            failure_ = PF_Err_BAD_CALLBACK_PARAM;
        }
        return;
    }
    profile_ = bound_profile();
    if (profile_ != nullptr) {
        start_ = std::chrono::steady_clock::now();
    }
    auto [number, injected] = context_->gate->enter(function, can_fail);
    failure_ = injected;
    if (context_->gate->observing()) {
        record_.emplace();
        record_->number = number;
        record_->function = function;
        record_->injected = injected.has_value();
    }
}

HostCall::~HostCall() {
    try {
        if (record_) {
            record_->err = failure_.value_or(err_);
            context_->gate->finish(*record_);
        }
        if (profile_ != nullptr) {
            const auto spent = std::chrono::steady_clock::now() - start_;
            CallTally& tally = profile_->by_function[function_];
            ++tally.calls;
            if (host_call_depth == 1) {  // the effect's own call; an inner call's time is its caller's
                tally.time += spent;
                profile_->host_time += spent;
            }
        }
    } catch (...) {
        // The effect already has its answer; a trace line or a profile count the host cannot make is its own loss.
    }
}

A_long HostCall::result(A_long err) {
    err_ = err;
    return err;
}

}  // namespace vorlane::host
