#include "ui/ControlEdits.h"

#include <string>

#include "session/ErrorNames.h"
#include "session/Session.h"
#include "ui/AegpHandles.h"
#include "ui/ControlValue.h"
#include "ui/NearestName.h"

namespace vorlane::host {
namespace {

bool command_failed(const UiCommandResult& result, const char* what, std::string* error) {
    if (!result.leaks.empty()) {
        *error = std::string(what) + " left handles with the host: ";
        for (size_t i = 0; i < result.leaks.size(); ++i) {
            *error += (i > 0 ? ", " : "") + result.leaks[i];
        }
        return true;
    }
    if (result.err != PF_Err_NONE) {
        *error = std::string(what) + " failed with error " + describe_err(result.err);
        return true;
    }
    return false;
}

}  // namespace

ControlEdit parse_control_edit(std::string_view text) {
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {std::string(text), std::nullopt};
    }
    return {std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
}

PF_ParamIndex find_control(const Session& session, std::string_view name) {
    const std::vector<PF_ParamDef> params = session.params();
    for (size_t i = 1; i < params.size(); ++i) {
        if (name == params[i].name) {
            return static_cast<PF_ParamIndex>(i);
        }
    }
    return 0;
}

UiCommandResult run_ui_command(Session& session, PF_Cmd cmd, PF_ParamIndex changed) {
    PF_UserChangedParamExtra extra{changed};
    const CommandResult run = session.run(cmd, cmd == PF_Cmd_USER_CHANGED_PARAM ? &extra : nullptr);
    return {run.err, run.out_data.out_flags, reclaim_leaked_handles(&session)};
}

bool apply_control_edit(Session& session, const ControlEdit& edit, std::string* error) {
    const PF_ParamIndex index = find_control(session, edit.name);
    if (index == 0) {
        *error = "no control is named \"" + edit.name + "\"" + did_you_mean(session, edit.name);
        return false;
    }
    PF_ParamDef def = session.param(index);
    if (def.param_type == PF_Param_BUTTON) {
        if (edit.value) {
            *error = "\"" + edit.name + "\" is a button: press it without a value";
            return false;
        }
    } else if (!edit.value) {
        *error = "\"" + edit.name + "\" needs a value (NAME=VALUE)";
        return false;
    } else if (std::string why; !parse_control_value(*edit.value, &def, &why)) {
        *error = "\"" + edit.name + "\" " + why;
        return false;
    } else {
        session.set_param(index, def);
    }
    if ((def.flags & PF_ParamFlag_SUPERVISE) != 0 &&
        command_failed(run_ui_command(session, PF_Cmd_USER_CHANGED_PARAM, index), "the parameter change", error)) {
        return false;
    }
    return !command_failed(run_ui_command(session, PF_Cmd_UPDATE_PARAMS_UI), "the UI update", error);
}

}  // namespace vorlane::host
