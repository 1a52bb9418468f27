// The one choke point every host function the effect can call passes through.
//
// Each call is numbered (1, 2, 3, ... over the session's life), counted per function name, and may be made to
// fail: "fail the k-th call with code X" for fault sweeps, or "fail every call of function F with code X". The
// optional observer sees each finished call with its arguments and result, which is what a trace log writes.
//
// Host functions use it through HostCall (HostCall.h), never directly. Thread-safe. With no fault rule and no
// observer, a call costs one shared atomic increment and a lock of its own thread's tally, which no other thread
// takes while the render runs: threads rendering at once do not wait on each other here.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "A.h"

namespace vorlane::host {

struct HostCallRecord {
    std::uint64_t number = 0;  // 1-based position among all host calls of the session
    std::string function;
    std::vector<std::pair<std::string, std::string>> args;  // filled only while an observer is set
    A_long err = 0;         // the result the effect saw (for pointer results: 0, or the failure's code)
    bool injected = false;  // the failure was made by a fault rule, not by the host's work
};

class CallGate {
  public:
    using Observer = std::function<void(const HostCallRecord&)>;

    CallGate();
    ~CallGate();
    CallGate(const CallGate&) = delete;
    CallGate& operator=(const CallGate&) = delete;

    // Fault rules. A rule applies only to calls that can fail (see HostCall); it stays in force until cleared.
    void fail_call_number(std::uint64_t number, A_long err);
    void fail_function(const std::string& function, A_long err);
    void clear_faults();

    // Called by HostCall when a call begins: numbers it and returns the error to inject, if any. `function` is a
    // name that lives as long as the program (a literal).
    std::pair<std::uint64_t, std::optional<A_long>> enter(const char* function, bool can_fail);
    void finish(const HostCallRecord& record);

    void set_observer(Observer observer);
    bool observing() const { return observing_.load(std::memory_order_acquire); }

    std::uint64_t calls() const { return calls_.load(std::memory_order_relaxed); }
    std::uint64_t calls_of(const std::string& function) const;
    std::uint64_t injected_faults() const { return injected_.load(std::memory_order_relaxed); }

  private:
    // The counts of the calls made on one thread, by the address of the function's name.
    struct Tally {
        std::mutex mutex;
        std::unordered_map<const char*, std::uint64_t> per_function;
    };
    Tally& tally_of_this_thread();
    std::optional<A_long> injected_error(std::uint64_t number, const char* function);

    const std::uint64_t id_;  // tells this gate from an earlier one at the same address
    std::atomic<std::uint64_t> calls_{0};
    std::atomic<std::uint64_t> injected_{0};
    std::atomic<bool> has_faults_{false};
    std::atomic<bool> observing_{false};

    mutable std::mutex mutex_;  // the rules, the observer and the list of tallies
    std::map<std::uint64_t, A_long> fail_numbers_;
    std::map<std::string, A_long> fail_functions_;
    Observer observer_;
    std::map<std::thread::id, std::unique_ptr<Tally>> tallies_;
};

}  // namespace vorlane::host
