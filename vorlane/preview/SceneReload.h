// Reading the scene again from disk, the way out when someone else changed the file: the preview drops its edits
// and shows the file as it is now.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "preview/PreviewState.h"

namespace vorlane::host {

// Reads `path` and shows its values in place of the current ones. The undo history is cleared: its steps name
// layers and masks by their places in the old file, which the new one may not have. On failure (unreadable, not a
// scene the effect takes) returns the one-line reason and leaves every value as it was. Takes the lock.
std::optional<std::string> reload_scene(PreviewState& state, const std::filesystem::path& path);

}  // namespace vorlane::host
