// A control's value as text, both ways: how the effect controls panel shows it, and how a user types it (numbers,
// popup choice text or number, checkboxes on/off/true/false, angles in degrees).
#pragma once

#include <string>
#include <string_view>

#include "AE_Effect.h"

namespace vorlane::host {

// "33.3%", "Constant", "on", "45.0 deg", "None" (no layer or mask chosen), "[Reset]" (a button's caption).
std::string format_control_value(const PF_ParamDef& def);

// The value a control holds, as a number a script can compare: sliders and popups their value, checkboxes 0 or 1,
// angles in degrees. Layers, paths, buttons and groups have none (false).
bool control_number(const PF_ParamDef& def, double* number);

// Sets def's value from text typed by a user. Fails, with the reason, for text that is not a value of this control
// or lies outside its valid range; def is then unchanged.
bool parse_control_value(std::string_view text, PF_ParamDef* def, std::string* error);

// The choices of a popup, split at "|".
std::string popup_choice(const PF_ParamDef& def, int choice);

}  // namespace vorlane::host
