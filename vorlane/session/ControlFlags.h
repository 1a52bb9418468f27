// The dynamic stream flags of an effect instance's controls, kept by the host between commands as After Effects
// keeps them. The hidden flag decides whether a control shows in the effect controls panel at all.
//
// Thread-safe: suites reach it from whatever thread the effect calls them on.
#pragma once

#include <map>
#include <mutex>

#include "AE_GeneralPlug.h"

namespace vorlane::host {

class ControlFlags {
  public:
    AEGP_DynStreamFlags flags(PF_ParamIndex index) const;
    void set(PF_ParamIndex index, AEGP_DynStreamFlags one_flag, bool on);
    bool hidden(PF_ParamIndex index) const { return (flags(index) & AEGP_DynStreamFlag_HIDDEN) != 0; }
    void clear();

  private:
    mutable std::mutex mutex_;
    std::map<PF_ParamIndex, AEGP_DynStreamFlags> flags_;
};

}  // namespace vorlane::host
