#include "session/CallGate.h"

namespace vorlane::host {

namespace {

std::atomic<std::uint64_t> next_gate_id{1};

// The tally the calling thread used last, so that the common case finds it without the gate's lock.
struct CachedTally {
    std::uint64_t gate = 0;
    void* tally = nullptr;
};
thread_local CachedTally cached;

}  // namespace

CallGate::CallGate() : id_(next_gate_id++) {}

CallGate::~CallGate() = default;

void CallGate::fail_call_number(std::uint64_t number, A_long err) {
    std::lock_guard lock(mutex_);
    fail_numbers_[number] = err;
    has_faults_ = true;
}

void CallGate::fail_function(const std::string& function, A_long err) {
    std::lock_guard lock(mutex_);
    fail_functions_[function] = err;
    has_faults_ = true;
}

void CallGate::clear_faults() {
    std::lock_guard lock(mutex_);
    fail_numbers_.clear();
    fail_functions_.clear();
    has_faults_ = false;
}

CallGate::Tally& CallGate::tally_of_this_thread() {
    if (cached.gate == id_) {
        return *static_cast<Tally*>(cached.tally);
    }
    std::lock_guard lock(mutex_);
    std::unique_ptr<Tally>& tally = tallies_[std::this_thread::get_id()];
    if (!tally) {
        tally = std::make_unique<Tally>();
    }
    cached = {id_, tally.get()};
    return *tally;
}

std::optional<A_long> CallGate::injected_error(std::uint64_t number, const char* function) {
    std::lock_guard lock(mutex_);
    if (const auto it = fail_numbers_.find(number); it != fail_numbers_.end()) {
        return it->second;
    }
    if (const auto it = fail_functions_.find(function); it != fail_functions_.end()) {
        return it->second;
    }
    return std::nullopt;
}

std::pair<std::uint64_t, std::optional<A_long>> CallGate::enter(const char* function, bool can_fail) {
    const std::uint64_t number = ++calls_;
    {
        Tally& tally = tally_of_this_thread();
        std::lock_guard lock(tally.mutex);
        ++tally.per_function[function];
    }
    if (!can_fail || !has_faults_.load(std::memory_order_acquire)) {
        return {number, std::nullopt};
    }
    const std::optional<A_long> err = injected_error(number, function);
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

std::uint64_t CallGate::calls_of(const std::string& function) const {
    std::lock_guard lock(mutex_);
    std::uint64_t count = 0;
    for (const auto& [thread, tally] : tallies_) {
        std::lock_guard tally_lock(tally->mutex);
        for (const auto& [name, calls] : tally->per_function) {
            if (function == name) {
                count += calls;
            }
        }
    }
    return count;
}

}  // namespace vorlane::host
