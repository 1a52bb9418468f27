#include "session/ControlFlags.h"

namespace vorlane::host {

AEGP_DynStreamFlags ControlFlags::flags(PF_ParamIndex index) const {
    std::lock_guard lock(mutex_);
    const auto found = flags_.find(index);
    return found != flags_.end() ? found->second : AEGP_DynStreamFlags{0};
}

void ControlFlags::set(PF_ParamIndex index, AEGP_DynStreamFlags one_flag, bool on) {
    std::lock_guard lock(mutex_);
    AEGP_DynStreamFlags& flags = flags_[index];
    flags = on ? (flags | one_flag) : (flags & ~one_flag);
}

void ControlFlags::clear() {
    std::lock_guard lock(mutex_);
    flags_.clear();
}

}  // namespace vorlane::host
