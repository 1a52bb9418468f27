// The effect's controls as a user sees them in the effect controls panel after the effect updated its UI: names
// indented inside their group, values as the panel shows them, hidden controls left out and disabled ones marked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "AE_Effect.h"

namespace vorlane::host {

class Session;

struct ControlRow {
    PF_ParamIndex index = 0;
    std::string name;
    PF_ParamType param_type = PF_Param_RESERVED;
    std::string value;             // as the panel shows it
    std::optional<double> number;  // for sliders, popups, checkboxes and angles
    int depth = 0;                 // 1 inside a group
    bool hidden = false;
    bool disabled = false;
};

// Every control the effect added, in index order; the input layer and group ends are not controls of the panel.
std::vector<ControlRow> control_rows(const Session& session);

// One line per control; hidden controls are left out unless show_hidden, which marks them instead.
std::string controls_text(const std::vector<ControlRow>& rows, bool show_hidden);

// A JSON array of {name, index, value, text, description, hidden, disabled}, hidden controls included, for
// scripts.
std::string controls_json(const std::vector<ControlRow>& rows);

}  // namespace vorlane::host
