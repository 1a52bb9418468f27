// What the preview serves: one effect instance over a scene, edited by the user one edit at a time. A plain record;
// `lock` makes edits whole: an edit, an undo or a move to another frame holds it exclusively from start to end, and
// a render holds it shared while it reads the values, so that no render sees half of an edit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "scene/Scene.h"
#include "scene/SceneParams.h"

namespace vorlane::host {

class Session;

constexpr int kLayerSlots = 5;

// Undo reaches back this many edits. A step keeps every value (about 8 KB for this effect), so an unbounded history
// grows by megabytes over a long session; 200 steps hold under 2 MB and reach further back than a user steps by
// hand. Past it, each edit drops the oldest step, and the page says so.
constexpr std::size_t kUndoSteps = 200;

// Which of the scene's layers each "Layer n" shows: an index into Scene::layers, or -1 for none.
using LayerChoice = std::array<int, kLayerSlots>;

// Everything an edit can change, kept whole for undo and redo.
struct PreviewValues {
    std::vector<PF_ParamDef> params;
    ParamTracks tracks;
    LayerChoice layers{};
};

// A readers-writer lock that lets a waiting writer in: readers arriving after it wait behind it, so that frames
// rendered back to back during playback cannot keep an edit waiting.
class StateLock {
  public:
    std::unique_lock<std::shared_mutex> exclusive() const {
        std::lock_guard turn(turnstile_);
        return std::unique_lock(mutex_);
    }
    std::shared_lock<std::shared_mutex> shared() const {
        std::lock_guard turn(turnstile_);
        return std::shared_lock(mutex_);
    }

  private:
    mutable std::mutex turnstile_;
    mutable std::shared_mutex mutex_;
};

struct PreviewState {
    Session& session;
    Scene scene;             // as loaded; its layers are the ones the pickers list
    std::string scene_text;  // the file's text, which a save keeps apart from the values
    // The values that text gives (as saved_params writes them) and its layer slots: what Save tells the user's
    // changes from, so that it writes only those.
    nlohmann::ordered_json read_params{};
    LayerChoice read_layers{};
    ParamTracks tracks{};  // keyframed parameters
    LayerChoice layers{};
    A_long frame = 0;  // the frame keyframed values are shown at
    std::vector<PreviewValues> undo{}, redo{};
    std::uint64_t undo_dropped = 0;  // steps dropped from the start of the history, to keep it at kUndoSteps
    std::uint64_t generation = 0;    // counts changes of what a frame shows
    StateLock lock{};
};

// Sets the session up for the scene (render suites, parameters, the scene's values, the UI update) and returns the
// state over it, the values it gives remembered as those read. Throws SceneError or std::runtime_error.
void open_preview(PreviewState& state);

// Puts the scene's layers `layers` (indices into Scene::layers, -1 for none) in the slots, as a recovery finds them;
// an index the scene does not have leaves its slot empty. Then the UI update. Takes the lock.
void choose_layers(PreviewState& state, const LayerChoice& layers);

// Applies one edit as a user makes it in the panel. `value` is a number, a choice or layer name, true/false, or
// null for a button. A keyframed parameter gets a key at `frame`. On failure returns the one-line reason and
// leaves every value as it was. Takes the lock.
std::optional<std::string> edit_control(PreviewState& state, const std::string& name, const nlohmann::json& value,
                                        A_long frame);

// Steps back or forward through the edits; false when there is nothing to step to. Take the lock.
bool undo_edit(PreviewState& state);
bool redo_edit(PreviewState& state);

// Shows keyframed values at `frame` in the panel (the effect updates its UI for them). Takes the lock.
void show_frame(PreviewState& state, A_long frame);

// The scene as a render of the current values sees it: the chosen layers in their slots. Call with the lock held.
Scene scene_for_render(const PreviewState& state);

// The controls as `vorlane params SCENE --json` lists them, layers and masks by the scene's names. Call with the
// lock held.
std::string params_json(const PreviewState& state);

// The panel's state for the page: the controls, layer and mask names, choices, keyframes. Takes the lock shared.
nlohmann::ordered_json preview_state_json(const PreviewState& state);

}  // namespace vorlane::host
