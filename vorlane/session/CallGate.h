// The one choke point every host function the effect can call passes through.
//
// Each call is numbered (1, 2, 3, ... over the session's life), counted per function name, and may be made to
// fail: "fail the k-th call with code X" for fault sweeps, or "fail every call of function F with code X". The
// optional observer sees each finished call with its arguments and result, which is what a trace log writes.
//
// Host functions use it through HostCall (HostCall.h), never directly. Thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/A.h"

namespace vorlane {

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

    // Fault rules. A rule applies only to calls that can fail (see HostCall); it stays in force until cleared.
    void fail_call_number(std::uint64_t number, A_long err);
    void fail_function(const std::string& function, A_long err);
    void clear_faults();

    // Called by HostCall when a call begins: numbers it and returns the error to inject, if any.
    std::pair<std::uint64_t, std::optional<A_long>> enter(const char* function, bool can_fail);
    void finish(const HostCallRecord& record);

    void set_observer(Observer observer);
    bool observing() const;

    std::uint64_t calls() const;
    std::uint64_t calls_of(const std::string& function) const;
    std::uint64_t injected_faults() const;

  private:
    mutable std::mutex mutex_;
    std::uint64_t calls_ = 0;
    std::uint64_t injected_ = 0;
    std::map<std::string, std::uint64_t> per_function_;
    std::map<std::uint64_t, A_long> fail_numbers_;
    std::map<std::string, A_long> fail_functions_;
    Observer observer_;
    bool observing_ = false;
};

}  // namespace vorlane
