#include "vorlane/session/CallGate.h"

namespace vorlane {

void CallGate::fail_call_number(std::uint64_t number, A_long err) {
    std::lock_guard lock(mutex_);
    fail_numbers_[number] = err;
}

void CallGate::fail_function(const std::string& function, A_long err) {
    std::lock_guard lock(mutex_);
    fail_functions_[function] = err;
}

void CallGate::clear_faults() {
    std::lock_guard lock(mutex_);
    fail_numbers_.clear();
    fail_functions_.clear();
}

std::pair<std::uint64_t, std::optional<A_long>> CallGate::enter(const char* function, bool can_fail) {
    std::lock_guard lock(mutex_);
    const std::uint64_t number = ++calls_;
    ++per_function_[function];
    if (!can_fail) {
        return {number, std::nullopt};
    }
    std::optional<A_long> err;
    if (const auto it = fail_numbers_.find(number); it != fail_numbers_.end()) {
        err = it->second;
    } else if (const auto by_name = fail_functions_.find(function); by_name != fail_functions_.end()) {
        err = by_name->second;
    }
    if (err) {
        ++injected_;
    }
    return {number, err};
}

void CallGate::finish(const HostCallRecord& record) {
    Observer observer;
    {
        std::lock_guard lock(mutex_);
        observer = observer_;
    }
    if (observer) {
        observer(record);
    }
}

void CallGate::set_observer(Observer observer) {
    std::lock_guard lock(mutex_);
    observing_ = static_cast<bool>(observer);
    observer_ = std::move(observer);
}

bool CallGate::observing() const {
    std::lock_guard lock(mutex_);
    return observing_;
}

std::uint64_t CallGate::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::uint64_t CallGate::calls_of(const std::string& function) const {
    std::lock_guard lock(mutex_);
    const auto it = per_function_.find(function);
    return it == per_function_.end() ? 0 : it->second;
}

std::uint64_t CallGate::injected_faults() const {
    std::lock_guard lock(mutex_);
    return injected_;
}

}  // namespace vorlane
