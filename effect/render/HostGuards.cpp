#include "render/HostGuards.h"

namespace vorlane::effect {

AcquiredSuite::AcquiredSuite(SPBasicSuite* basic, const char* name, A_long version, RecordedError& error)
    : basic_(basic), name_(name), version_(version) {
    if (!error.none()) {
        return;
    }
    const SPErr err = basic_->AcquireSuite(name_, version_, &suite_);
    error.keep_first(err);
    held_ = err == kSPNoError;
    // A host that reports success without a suite is as good as one that has none; it is still released.
    if (held_ && suite_ == nullptr) {
        error.keep_first(PF_Err_BAD_CALLBACK_PARAM);
    }
}

AcquiredSuite::~AcquiredSuite() {
    if (held_) {
        basic_->ReleaseSuite(name_, version_);
    }
}

ParamCheckout::ParamCheckout(const PF_InData& in_data, RecordedError& error, PF_ParamIndex index, A_long what_time)
    : in_data_(in_data), error_(error) {
    if (!error_.none()) {
        return;
    }
    error_.keep_first(in_data_.inter.checkout_param(in_data_.effect_ref, index, what_time, in_data_.time_step,
                                                    in_data_.time_scale, &def_));
    checked_out_ = error_.none();
}

ParamCheckout::~ParamCheckout() {
    if (checked_out_) {
        error_.keep_first(in_data_.inter.checkin_param(in_data_.effect_ref, &def_));
    }
}

PathCheckout::PathCheckout(RenderContext& ctx, PF_PathID path_id) : ctx_(ctx), path_id_(path_id) {
    if (!ctx_.error.none()) {
        return;
    }
    query_ = ctx_.suites.pathQuerySuite();
    const PF_InData& in = ctx_.in_data;
    PF_PathOutlinePtr outline = nullptr;
    ctx_.error.keep_first(
        query_->PF_CheckoutPath(in.effect_ref, path_id_, in.current_time, in.time_step, in.time_scale, &outline));
    // An outline that came back with an error is not ours to use or to check in.
    if (ctx_.error.none()) {
        outline_ = outline;
    }
}

PathCheckout::~PathCheckout() {
    if (outline_ != nullptr) {
        ctx_.error.keep_first(query_->PF_CheckinPath(ctx_.in_data.effect_ref, path_id_, false, outline_));
    }
}

InstanceWorld::InstanceWorld(RenderContext& ctx, A_long width, A_long height) : ctx_(ctx) {
    if (!ctx_.error.none()) {
        return;
    }
    ctx_.error.keep_first(ctx_.world_suite2->PF_NewWorld(ctx_.in_data.effect_ref, width, height, true,
                                                         ctx_.pixel_format, &ctx_.instance_world));
    created_ = ctx_.error.none();
}

void InstanceWorld::dispose() {
    if (!created_) {
        return;
    }
    const PF_WorldSuite1* world_suite = ctx_.suites.worldSuite();
    created_ = false;
    ctx_.error.keep_first(world_suite->dispose_world(ctx_.in_data.effect_ref, &ctx_.instance_world));
}

InstanceWorld::~InstanceWorld() {
    // Reached with a live world only while a thrown error unwinds the render, possibly because "PF World Suite" 1
    // itself is missing: the suite that made the world disposes of it.
    if (created_) {
        ctx_.error.keep_first(ctx_.world_suite2->PF_DisposeWorld(ctx_.in_data.effect_ref, &ctx_.instance_world));
    }
}

}  // namespace vorlane::effect
