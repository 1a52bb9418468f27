// Scope guards for everything a render takes from the host, so that every check-out has its check-in, every world
// is disposed of and every directly acquired suite is released — also when a missing suite throws mid-render.
// Each guard holds only host calls that cannot throw in its destructor.
#pragma once

#include "render/RecordedError.h"
#include "render/RenderContext.h"

namespace vorlane::effect {

// A suite acquired straight from the basic suite, outside the suite handler's table.
class AcquiredSuite {
  public:
    AcquiredSuite(SPBasicSuite* basic, const char* name, A_long version, RecordedError& error);
    ~AcquiredSuite();
    AcquiredSuite(const AcquiredSuite&) = delete;
    AcquiredSuite& operator=(const AcquiredSuite&) = delete;

    const void* get() const { return suite_; }

  private:
    SPBasicSuite* basic_;
    const char* name_;
    A_long version_;
    bool held_ = false;
    const void* suite_ = nullptr;
};

// A parameter checked out at a given time; the check-out is made only while no error is recorded.
class ParamCheckout {
  public:
    ParamCheckout(const PF_InData& in_data, RecordedError& error, PF_ParamIndex index, A_long what_time);
    ~ParamCheckout();
    ParamCheckout(const ParamCheckout&) = delete;
    ParamCheckout& operator=(const ParamCheckout&) = delete;

    bool checked_out() const { return checked_out_; }
    const PF_ParamDef& def() const { return def_; }
    PF_ParamDef& def() { return def_; }

  private:
    const PF_InData& in_data_;
    RecordedError& error_;
    PF_ParamDef def_{};
    bool checked_out_ = false;
};

// A mask outline checked out at the render's time. The host may hand back no outline, which is not an error.
class PathCheckout {
  public:
    PathCheckout(RenderContext& ctx, PF_PathID path_id);
    ~PathCheckout();
    PathCheckout(const PathCheckout&) = delete;
    PathCheckout& operator=(const PathCheckout&) = delete;

    PF_PathOutlinePtr outline() const { return outline_; }

  private:
    RenderContext& ctx_;
    const PF_PathQuerySuite1* query_ = nullptr;
    PF_PathID path_id_;
    PF_PathOutlinePtr outline_ = nullptr;
};

// The private world of one drawn instance, in the output's pixel format, made with "PF World Suite" 2.
class InstanceWorld {
  public:
    InstanceWorld(RenderContext& ctx, A_long width, A_long height);
    ~InstanceWorld();
    InstanceWorld(const InstanceWorld&) = delete;
    InstanceWorld& operator=(const InstanceWorld&) = delete;

    bool created() const { return created_; }
    // The ordinary disposal, through "PF World Suite" 1; may throw when the host cannot supply that suite.
    void dispose();

  private:
    RenderContext& ctx_;
    bool created_ = false;
};

}  // namespace vorlane::effect
