#include <iomanip>

#include "cli/Subcommands.h"
#include "module/PiplDecoder.h"
#include "module/PiplReader.h"

namespace vorlane::host {
namespace {

int run_pipl(const CliState& state) {
    const LoadedModule module = LoadedModule::open(state.module_path);
    const DecodedPipl pipl = decode_pipl(read_pipl(module));
    for (const PiplProperty& property : pipl.properties) {
        state.out << std::left << std::setw(6) << property.key << property.value << "\n";
    }
    return 0;
}

}  // namespace

void add_pipl_command(CLI::App& app, CliState& state) {
    app.add_subcommand("pipl", "show the properties of the module's PiPL")->callback([&state] {
        state.action = [&state] { return run_pipl(state); };
    });
}

}  // namespace vorlane::host
