#include "cli/Subcommands.h"
#include "session/ErrorNames.h"
#include "suites/StandardSuites.h"

namespace vorlane::host {

void require_success(PF_Err err, const std::string& what, const Session& session) {
    if (err == PF_Err_NONE) {
        return;
    }
    std::string line = what + " failed with error " + describe_err(err);
    if (const std::string why = session.host_message(); !why.empty()) {
        line += ": " + why;
    }
    throw CommandFailure(line);
}

HostedEffect open_effect(const CliState& state) {
    HostedEffect effect{LoadedModule::open(state.module_path), nullptr};
    effect.session = std::make_unique<Session>(effect.module.entry(), standard_services());
    require_success(effect.session->global_setup(), "global set-up", *effect.session);
    return effect;
}

}  // namespace vorlane::host
