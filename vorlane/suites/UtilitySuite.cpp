#include "suites/UtilitySuite.h"

#include <cstdio>

#include "session/HostCall.h"
#include "session/Session.h"

namespace vorlane::host {
namespace {

A_Err AEGP_ReportInfo(AEGP_PluginID aegp_plugin_id, const A_char* info_string) {
    HostCall call(current_context(), "AEGP_ReportInfo");
    call.arg("aegp_plugin_id", aegp_plugin_id).arg("info_string", info_string);
    if (call.failed()) {
        return call.error();
    }
    // A stand-alone host has no dialog to show; the message goes where a user still sees it.
    std::fprintf(stderr, "vorlane: effect reports: %s\n", info_string ? info_string : "");
    return call.result(A_Err{0});
}

A_Err AEGP_ReportInfoUnicode(AEGP_PluginID aegp_plugin_id, const A_u_short* info_string) {
    HostCall call(current_context(), "AEGP_ReportInfoUnicode");
    call.arg("aegp_plugin_id", aegp_plugin_id).arg("info_string", info_string);
    return call.failed() ? call.error() : call.result(A_Err{0});
}

A_Err version_pair(const char* function, A_short* major, A_short* minor, A_short major_value, A_short minor_value) {
    HostCall call(current_context(), function);
    if (call.failed()) {
        return call.error();
    }
    if (major == nullptr || minor == nullptr) {
        return call.result(kAegpErrParameter);
    }
    *major = major_value;
    *minor = minor_value;
    return call.result(A_Err{0});
}

A_Err AEGP_GetDriverPluginInitFuncVersion(A_short* major, A_short* minor) {
    return version_pair("AEGP_GetDriverPluginInitFuncVersion", major, minor, 1, 0);
}

A_Err AEGP_GetDriverImplementationVersion(A_short* major, A_short* minor) {
    return version_pair("AEGP_GetDriverImplementationVersion", major, minor, 1, 0);
}

A_Err AEGP_StartQuietErrors(void*) {
    HostCall call(current_context(), "AEGP_StartQuietErrors");
    return call.failed() ? call.error() : call.result(A_Err{0});
}

A_Err AEGP_EndQuietErrors(A_Boolean, void*) {
    HostCall call(current_context(), "AEGP_EndQuietErrors");
    return call.failed() ? call.error() : call.result(A_Err{0});
}

A_Err AEGP_GetLastErrorMessage(A_long buffer_size, A_char* error_string, A_Err* error_num) {
    HostCall call(current_context(), "AEGP_GetLastErrorMessage");
    call.arg("buffer_size", buffer_size);
    if (call.failed()) {
        return call.error();
    }
    if (error_string == nullptr || error_num == nullptr || buffer_size < 1) {
        return call.result(kAegpErrParameter);
    }
    error_string[0] = '\0';
    *error_num = 0;
    return call.result(A_Err{0});
}

A_Err AEGP_StartUndoGroup(const A_char* undo_name) {
    HostCall call(current_context(), "AEGP_StartUndoGroup");
    call.arg("undo_name", undo_name);
    return call.failed() ? call.error() : call.result(A_Err{0});
}

A_Err AEGP_EndUndoGroup() {
    HostCall call(current_context(), "AEGP_EndUndoGroup");
    return call.failed() ? call.error() : call.result(A_Err{0});
}

A_Err AEGP_RegisterWithAEGP(AEGP_GlobalRefcon global_refcon, const A_char* plugin_name, AEGP_PluginID* plugin_id) {
    HostCall call(current_context(), "AEGP_RegisterWithAEGP");
    call.arg("global_refcon", global_refcon).arg("plugin_name", plugin_name);
    if (call.failed()) {
        return call.error();
    }
    if (plugin_id == nullptr || plugin_name == nullptr) {
        return call.result(kAegpErrParameter);
    }
    *plugin_id = call.context()->session->register_plugin(plugin_name);
    return call.result(A_Err{0});
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
