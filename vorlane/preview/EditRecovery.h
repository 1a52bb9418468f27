// Unsaved edits kept outside the process, so that a preview that dies (killed, or crashed) or is stopped loses
// none of them. After every edit, undo and redo the values are written, whole or not at all (a temporary file
// renamed into place), to one file per scene in the user's state folder:
//
//     $XDG_STATE_HOME/vorlane/recovery/NAME-HASH.json   ($XDG_STATE_HOME defaults to ~/.local/state)
//
// The user's own folder rather than the scene's: a scene's folder may be read-only, under version control or shared
// with a cluster, and the edits are one user's work. NAME is the scene's file name and HASH one of its whole path,
// links resolved, which the file also holds, so that two scenes of one name never take each other's edits. A Save
// or a return to the values the file holds removes the file.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "preview/PreviewState.h"

namespace vorlane::host {

// The scene's name in messages and records: its whole path, links resolved; the built-in demo has one of its own.
std::string recovery_scene_key(const std::filesystem::path& scene);

// Where the edits of the scene named by `key` are kept; empty when the user has no state folder (no HOME).
std::filesystem::path recovery_file_for(const std::string& key);

// The values a preview shows, as kept: a scene's "params" and each layer slot's index into the scene's layers.
struct KeptValues {
    nlohmann::ordered_json params;
    LayerChoice layers{};
    bool operator==(const KeptValues&) const = default;
};

// What a recovery file holds.
struct KeptEdits {
    std::string scene;      // recovery_scene_key of the scene they belong to
    std::string read_text;  // the scene file's text when the preview read it, which the edits were made over
    KeptValues read;        // the values that text gives
    KeptValues edited;      // the values when the file was written
    std::string written;    // when, in UTC
};

KeptValues kept_values(const PreviewState& state);  // call with the lock held

// The edits kept for the scene named by `key`; none when there are none, or the file is not one of ours or is
// for another scene.
std::optional<KeptEdits> read_kept_edits(const std::filesystem::path& file, const std::string& key);

// Keeps a preview's edits in their file as they change. Empty file: keeps nothing.
class EditRecovery {
  public:
    EditRecovery(std::filesystem::path file, std::string key, std::string read_text, KeptValues read);

    // After an edit, undo or redo: writes the values, or removes the file when they are those of the scene file.
    // Returns the one-line reason when the file could not be written. Takes the state's lock shared.
    std::optional<std::string> changed(const PreviewState& state);
    // After a successful Save: the scene file holds the values now, so nothing is left to keep.
    void saved(const PreviewState& state);
    // After a reload: the edits were dropped, and the file's text as read now is what later edits are made over.
    void reloaded(const PreviewState& state);

    bool unsaved() const;
    const std::filesystem::path& file() const { return edits_file_; }

  private:
    std::filesystem::path edits_file_;
    mutable std::mutex mutex_;
    KeptEdits kept_;
    bool unsaved_ = false;
};

}  // namespace vorlane::host
