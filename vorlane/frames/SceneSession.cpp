#include "frames/SceneSession.h"

#include <stdexcept>

#include "frames/RenderSuites.h"
#include "session/ErrorNames.h"
#include "session/Session.h"
#include "ui/ControlEdits.h"

namespace vorlane::host {

ParamTracks prepare_scene_session(Session& session, const Scene& scene, const ParamChanges& changes) {
    register_render_suites(session.suites());
    if (const PF_Err err = session.params_setup(); err != PF_Err_NONE) {
        throw std::runtime_error("parameter set-up failed with error " + describe_err(err));
    }
    ParamTracks tracks = apply_scene_params(session, scene);
    for (const std::string& set : changes.sets) {
        apply_param_override(session, scene, tracks, set, "--set \"" + set + "\"");
    }
    for (const std::string& text : changes.edits) {
        const ControlEdit edit = parse_control_edit(text);
        // An edit replaces the parameter's keyframes as a --set does: the value it leaves holds for every frame.
        if (const PF_ParamIndex index = find_control(session, edit.name); index != 0) {
            tracks.erase(index);
        }
        if (std::string error; !apply_control_edit(session, edit, &error)) {
            throw SceneError("--edit \"" + text + "\"", "", error);
        }
    }
    return tracks;
}

}  // namespace vorlane::host
