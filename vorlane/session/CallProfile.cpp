#include "session/CallProfile.h"

namespace vorlane::host {

namespace {
thread_local CallProfile* bound = nullptr;
}  // namespace

std::map<std::string, CallTally> calls_by_name(const CallProfile& profile) {
    std::map<std::string, CallTally> merged;
    for (const auto& [name, tally] : profile.by_function) {
        CallTally& into = merged[name];
        into.calls += tally.calls;
        into.time += tally.time;
    }
    return merged;
}

CallProfile* bound_profile() {
    return bound;
}

ProfileBinding::ProfileBinding(CallProfile& profile) : previous_(bound) {
    bound = &profile;
}

ProfileBinding::~ProfileBinding() {
    bound = previous_;
}

}  // namespace vorlane::host
