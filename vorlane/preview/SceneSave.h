// Saving the edited values into the scene file they came from, or another. The file keeps everything the user wrote;
// of the values ("params") and the layers' slots ("layers") only what the user changed is rewritten, so that a saved
// scene reads back as the same picture and still as the user's own file.
// Saving never overwrites edits made to the file by someone else since it was read: the file must still hold what
// it held then.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "preview/PreviewState.h"

namespace vorlane::host {

struct SaveTarget {
    std::filesystem::path path;          // empty: the demo, which saves only under a name given
    std::optional<std::string> on_disk;  // what the file held when last read or written; none when it did not exist
};

// The target's current contents as the conflict check remembers them.
SaveTarget save_target(const std::filesystem::path& path);

// The current values as a scene's "params" writes them. Call with the state's lock held.
nlohmann::ordered_json saved_params(const PreviewState& state);

// The scene text with the current values, relative paths rebased to `folder`. Call with the state's lock held.
std::string saved_scene_text(const PreviewState& state, const std::filesystem::path& folder);

// Writes the scene atomically (a temporary file renamed over the target). Returns the one-line reason when it
// refuses or fails; on success the target remembers what it now holds. Takes the state's lock shared.
std::optional<std::string> save_scene(const PreviewState& state, SaveTarget& target);

}  // namespace vorlane::host
