#include "suites/UtilitySuite.h"

#include <cstdio>

#include "session/Serve.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

// The calls a host without a user interface only acknowledges.
A_Err acknowledged(const char* function) {
    return serve(current_context(), function, no_args, [](HostCall&) { return A_Err{0}; });
}

A_Err AEGP_ReportInfo(AEGP_PluginID aegp_plugin_id, const A_char* info_string) {
    return serve(
        current_context(), "AEGP_ReportInfo",
        [&](HostCall& call) { call.arg("aegp_plugin_id", aegp_plugin_id).arg("info_string", info_string); },
        [&](HostCall&) {
            // A stand-alone host has no dialog to show; the message goes where a user still sees it.
            std::fprintf(stderr, "vorlane: effect reports: %s\n", info_string ? info_string : "");
            return A_Err{0};
        });
}

A_Err AEGP_ReportInfoUnicode(AEGP_PluginID aegp_plugin_id, const A_u_short* info_string) {
    return serve(
        current_context(), "AEGP_ReportInfoUnicode",
        [&](HostCall& call) { call.arg("aegp_plugin_id", aegp_plugin_id).arg("info_string", info_string); },
        [](HostCall&) { return A_Err{0}; });
}

A_Err version_pair(const char* function, A_short* major, A_short* minor, A_short major_value, A_short minor_value) {
    return serve(current_context(), function, no_args, [&](HostCall&) {
        if (major == nullptr || minor == nullptr) {
            return kAegpErrParameter;
        }
        *major = major_value;
        *minor = minor_value;
        return A_Err{0};
    });
}

A_Err AEGP_GetDriverPluginInitFuncVersion(A_short* major, A_short* minor) {
    return version_pair("AEGP_GetDriverPluginInitFuncVersion", major, minor, 1, 0);
}

A_Err AEGP_GetDriverImplementationVersion(A_short* major, A_short* minor) {
    return version_pair("AEGP_GetDriverImplementationVersion", major, minor, 1, 0);
}

A_Err AEGP_StartQuietErrors(void*) {
    return acknowledged("AEGP_StartQuietErrors");
}

A_Err AEGP_EndQuietErrors(A_Boolean, void*) {
    return acknowledged("AEGP_EndQuietErrors");
}

A_Err AEGP_GetLastErrorMessage(A_long buffer_size, A_char* error_string, A_Err* error_num) {
    return serve(
        current_context(), "AEGP_GetLastErrorMessage", [&](HostCall& call) { call.arg("buffer_size", buffer_size); },
        [&](HostCall&) {
            if (error_string == nullptr || error_num == nullptr || buffer_size < 1) {
                return kAegpErrParameter;
            }
            error_string[0] = '\0';
            *error_num = 0;
            return A_Err{0};
        });
}

A_Err AEGP_StartUndoGroup(const A_char* undo_name) {
    return serve(
        current_context(), "AEGP_StartUndoGroup", [&](HostCall& call) { call.arg("undo_name", undo_name); },
        [](HostCall&) { return A_Err{0}; });
}

A_Err AEGP_EndUndoGroup() {
    return acknowledged("AEGP_EndUndoGroup");
}

A_Err AEGP_RegisterWithAEGP(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name, AEGP_PluginID* plugin_id) {
    return serve(
        current_context(), "AEGP_RegisterWithAEGP",
        [&](HostCall& call) { call.arg("global_refcon", global_refcon).arg("plugin_name", plugin_name); },
        [&](HostCall& call) {
            if (plugin_id == nullptr || plugin_name == nullptr) {
                return kAegpErrParameter;
            }
            *plugin_id = call.context()->session->register_plugin(plugin_name);
            return A_Err{0};
        });
}

AEGP_UtilitySuite7 make_utility_suite() {
    AEGP_UtilitySuite7 suite{};
    suite.AEGP_ReportInfo = AEGP_ReportInfo;
    suite.AEGP_ReportInfoUnicode = AEGP_ReportInfoUnicode;
    suite.AEGP_GetDriverPluginInitFuncVersion = AEGP_GetDriverPluginInitFuncVersion;
    suite.AEGP_GetDriverImplementationVersion = AEGP_GetDriverImplementationVersion;
    suite.AEGP_StartQuietErrors = AEGP_StartQuietErrors;
    suite.AEGP_EndQuietErrors = AEGP_EndQuietErrors;
    suite.AEGP_GetLastErrorMessage = AEGP_GetLastErrorMessage;
    suite.AEGP_StartUndoGroup = AEGP_StartUndoGroup;
    suite.AEGP_EndUndoGroup = AEGP_EndUndoGroup;
    suite.AEGP_RegisterWithAEGP = AEGP_RegisterWithAEGP;
    return suite;
}

const AEGP_UtilitySuite7 kUtilitySuite = make_utility_suite();

}  // namespace

const AEGP_UtilitySuite7& utility_suite() {
    return kUtilitySuite;
}

}  // namespace vorlane::host
