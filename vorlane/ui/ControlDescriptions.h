// One sentence per control of the effect, saying what it does to the picture: the text of `vorlane params
// --describe`, of the preview's tooltips and of the "description" field of `params --json`. The parameter guide
// (docs/parameters.md) says the same at length.
#pragma once

#include <string_view>

namespace vorlane::host {

// The sentence for a control's exact name, or an empty view for a name the effect does not have.
std::string_view control_description(std::string_view name);

}  // namespace vorlane::host
