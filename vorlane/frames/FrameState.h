// What the host keeps for one render command: the frame's inputs and everything the effect has checked out,
// prepared or created during it. The host's render callbacks and suites find it through the effect_ref they are
// given (frame_for); what is still held when the command ends is a leak, reported and reclaimed by finish().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "AE_Effect.h"
#include "pixels/MaskShape.h"
#include "pixels/PreparedSegment.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

struct CommandContext;
struct RenderJob;

// A mask outline lent to the effect: the shape at the requested time in the render's pixels.
struct LentOutline {
    PF_PathID id = 0;
    MaskShape shape;
    std::vector<CubicSegment> segments;
};

struct LentPreparation {
    A_long segment = 0;
    PreparedSegment prepared;
};

struct FrameState {
    RenderJob* job = nullptr;
    CommandContext* context = nullptr;  // the render command, once it runs
    A_long frame = 0;

    std::unordered_map<const void*, std::unique_ptr<LentOutline>> outlines;
    std::unordered_map<const void*, std::unique_ptr<LentPreparation>> preparations;
    std::unordered_map<const void*, WorldStorage> worlds;        // made through the world suites, by data
    std::unordered_map<const void*, WorldStorage> layer_worlds;  // lent with checked-out layers, by data
    std::unordered_map<A_long, int> param_checkouts;             // by disk id
    std::string refusal;  // why the host last refused the effect a call in this frame, for the error line

    // Lists what is still held, frees it, and returns one line per kind of leak.
    std::vector<std::string> finish();
};

// The frame whose render command `effect_ref` names, or null when it is not the command bound on this thread.
FrameState* frame_for(PF_ProgPtr effect_ref);
// The frame bound on this thread, for calls that carry no effect_ref.
FrameState* bound_frame();

// Binds a frame to the calling thread for the duration of its render command.
class FrameBinding {
  public:
    explicit FrameBinding(FrameState& frame);
    ~FrameBinding();
    FrameBinding(const FrameBinding&) = delete;
    FrameBinding& operator=(const FrameBinding&) = delete;

  private:
    FrameState* previous_;
};

}  // namespace vorlane::host
