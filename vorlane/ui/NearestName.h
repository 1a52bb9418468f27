// The "did you mean" of a misspelt control name: the registered name nearest to what was typed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlane::host {

class Session;

// The candidate nearest to `typed` by edits of one character (case ignored, so "seed" finds "Seed"), or "" when
// none is near enough to be a plausible typo.
std::string nearest_name(std::string_view typed, const std::vector<std::string>& candidates);

// "; did you mean \"Seed\"?" for the effect's controls, or "" when no name is near.
std::string did_you_mean(const Session& session, std::string_view typed);

}  // namespace vorlane::host
