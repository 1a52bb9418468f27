#include "cli/ParamTable.h"
#include "cli/Subcommands.h"

namespace vorlane::host {
namespace {

int run_params(const CliState& state) {
    HostedEffect effect = open_effect(state);
    require_success(effect.session->params_setup(), "parameter set-up", *effect.session);
    std::vector<ParamRow> rows;
    const std::vector<PF_ParamDef> params = effect.session->params();
    for (std::size_t i = 0; i < params.size(); ++i) {
        rows.push_back(param_row(static_cast<int>(i), params[i]));
    }
    print_param_table(state.out, rows);
    return 0;
}

}  // namespace

void add_params_command(CLI::App& app, CliState& state) {
    CLI::App* params = app.add_subcommand("params", "set the effect up and list the parameters it registers");
    auto view = add_params_view(*params, state);
    params->callback([&state, view] {
        state.action = [&state, view] {
            if (const std::optional<int> status = view()) {
                return *status;
            }
            return run_params(state);
        };
    });
}

}  // namespace vorlane::host
