// What Save writes into a scene's "params": the user's own block, with only what they changed since it was read.
// A scene names the values it means and leaves the rest at their defaults; writing every value back would pin the
// defaults, respell the numbers and reorder the block, so that a saved file no longer reads as the one the user
// wrote.
#pragma once

#include <nlohmann/json.hpp>

namespace vorlane::host {

// `written` is the "params" object as the file holds it; `read` and `now` are saved_params() of the values the
// file gave and of the current ones. A value that is the same in both stays as written (or absent); a changed one
// replaces the written one in its place, or, when the file did not name it, is appended in the panel's order.
nlohmann::ordered_json merged_params(const nlohmann::ordered_json& written, const nlohmann::ordered_json& read,
                                     const nlohmann::ordered_json& now);

}  // namespace vorlane::host
