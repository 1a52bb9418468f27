#include "frames/FrameState.h"

#include "session/CommandContext.h"

namespace vorlane::host {

namespace {

thread_local FrameState* bound = nullptr;

void note(std::vector<std::string>& leaks, std::size_t count, const char* what) {
    if (count > 0) {
        leaks.push_back(std::to_string(count) + " " + what);
    }
}

}  // namespace

std::vector<std::string> FrameState::finish() {
    std::vector<std::string> leaks;
    note(leaks, outlines.size(), "mask outline(s) not checked in");
    note(leaks, preparations.size(), "segment preparation(s) not cleaned up");
    note(leaks, worlds.size(), "world(s) not disposed of");
    note(leaks, layer_worlds.size(), "layer world(s) not checked in");
    std::size_t params = 0;
    for (const auto& [id, count] : param_checkouts) {
        params += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    note(leaks, params, "parameter(s) not checked in");
    outlines.clear();
    preparations.clear();
    worlds.clear();
    layer_worlds.clear();
    param_checkouts.clear();
    return leaks;
}

FrameState* frame_for(PF_ProgPtr effect_ref) {
    CommandContext* context = context_of(effect_ref);
    return bound != nullptr && context != nullptr && bound->context == context ? bound : nullptr;
}

FrameState* bound_frame() {
    return bound != nullptr && bound->context != nullptr && bound->context == current_context() ? bound : nullptr;
}

FrameBinding::FrameBinding(FrameState& frame) : previous_(bound) {
    bound = &frame;
}

FrameBinding::~FrameBinding() {
    bound = previous_;
}

}  // namespace vorlane::host
