// Where the time of a command goes: host calls counted and timed on the thread that runs the command, while a
// profile is bound to it. Nothing is measured on a thread with no profile bound, so a render that does not ask for
// one pays a thread-local read per call and no clock.
//
//     CallProfile profile;
//     {
//         ProfileBinding bind(profile);
//         session.run(PF_Cmd_RENDER, ...);   // every HostCall on this thread lands in `profile`
//     }
//     for (const auto& [name, tally] : calls_by_name(profile)) ...
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

namespace vorlane::host {

struct CallTally {
    std::uint64_t calls = 0;
    std::chrono::nanoseconds time{0};
};

struct CallProfile {
    // By the address of the function's name (a literal); calls_by_name merges names spelled in several places.
    std::unordered_map<const char*, CallTally> by_function;
    // The host's share: the time of the calls made by the effect itself. A call made inside another host call is
    // counted, but its time is already its caller's and is not added again.
    std::chrono::nanoseconds host_time{0};
};

std::map<std::string, CallTally> calls_by_name(const CallProfile& profile);

// The profile bound to the calling thread, or null.
CallProfile* bound_profile();

// Binds a profile to the calling thread for its lifetime.
class ProfileBinding {
  public:
    explicit ProfileBinding(CallProfile& profile);
    ~ProfileBinding();
    ProfileBinding(const ProfileBinding&) = delete;
    ProfileBinding& operator=(const ProfileBinding&) = delete;

  private:
    CallProfile* previous_;
};

}  // namespace vorlane::host
