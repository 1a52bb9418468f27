// Edits made the way a user makes them in the effect controls panel: the host takes the new value, tells the
// effect about it when the control is supervised, and then lets the effect update its controls.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AE_Effect.h"

namespace vorlane::host {

class Session;

struct ControlEdit {
    std::string name;
    std::optional<std::string> value;  // none for a press of a button
};

// "NAME=VALUE", or "NAME" alone for a button.
ControlEdit parse_control_edit(std::string_view text);

// The index of the control with exactly that name, case included; 0 when there is none.
PF_ParamIndex find_control(const Session& session, std::string_view name);

struct UiCommandResult {
    PF_Err err = PF_Err_NONE;
    PF_OutFlags out_flags = 0;
    std::vector<std::string> leaks;  // handles the effect still held when the command ended
};

// PF_Cmd_USER_CHANGED_PARAM (with the changed index) or PF_Cmd_UPDATE_PARAMS_UI, and the leak check after it.
UiCommandResult run_ui_command(Session& session, PF_Cmd cmd, PF_ParamIndex changed = 0);

// Applies one edit. On failure *error says why (an unknown control, a value it does not take, the effect's error
// code, or a leaked handle) and the commands that followed are not sent.
bool apply_control_edit(Session& session, const ControlEdit& edit, std::string* error);

}  // namespace vorlane::host
