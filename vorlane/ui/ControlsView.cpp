#include "ui/ControlsView.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "session/Session.h"
#include "ui/ControlDescriptions.h"
#include "ui/ControlValue.h"

namespace vorlane::host {
namespace {

constexpr size_t kNameColumn = 36;

}  // namespace

std::vector<ControlRow> control_rows(const Session& session) {
    std::vector<ControlRow> rows;
    const std::vector<PF_ParamDef> params = session.params();
    int depth = 0;
    for (size_t i = 1; i < params.size(); ++i) {
        const PF_ParamDef& def = params[i];
        if (def.param_type == PF_Param_GROUP_END) {
            depth = std::max(0, depth - 1);
            continue;
        }
        ControlRow row;
        row.index = static_cast<PF_ParamIndex>(i);
        row.name = def.name;
        row.param_type = def.param_type;
        row.value = format_control_value(def);
        double number = 0.0;
        if (control_number(def, &number)) {
            row.number = number;
        }
        row.depth = depth;
        row.hidden = session.control_flags().hidden(row.index);
        row.disabled = (def.ui_flags & PF_PUI_DISABLED) != 0;
        rows.push_back(row);
        if (def.param_type == PF_Param_GROUP_START) {
            ++depth;
        }
    }
    return rows;
}

std::string controls_text(const std::vector<ControlRow>& rows, bool show_hidden) {
    std::string text;
    for (const ControlRow& row : rows) {
        if (row.hidden && !show_hidden) {
            continue;
        }
        std::string line(static_cast<size_t>(row.depth) * 4, ' ');
        line += row.name;
        if (!row.value.empty()) {
            line.resize(std::max(kNameColumn, line.size() + 2), ' ');
            line += row.value;
        }
        if (row.disabled) {
            line += "  (disabled)";
        }
        if (row.hidden) {
            line += "  (hidden)";
        }
        text += line + "\n";
    }
    return text;
}

std::string controls_json(const std::vector<ControlRow>& rows) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const ControlRow& row : rows) {
        nlohmann::ordered_json control;
        control["name"] = row.name;
        control["index"] = row.index;
        const bool whole = row.param_type == PF_Param_SLIDER || row.param_type == PF_Param_POPUP ||
                           row.param_type == PF_Param_CHECKBOX;
        if (row.number && whole) {
            control["value"] = static_cast<long long>(*row.number);
        } else if (row.number) {
            control["value"] = *row.number;
        } else {
            control["value"] = nullptr;
        }
        control["text"] = row.value;
        control["description"] = std::string(control_description(row.name));
        control["hidden"] = row.hidden;
        control["disabled"] = row.disabled;
        array.push_back(control);
    }
    return array.dump(2) + "\n";
}

}  // namespace vorlane::host
