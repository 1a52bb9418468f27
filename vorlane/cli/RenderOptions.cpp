#include "cli/RenderOptions.h"

#include <map>

namespace vorlane::host {

void add_render_options(CLI::App& command, RenderOptions& options) {
    command.add_flag("--quiet,-q", options.quiet, "print nothing but errors: no warnings, no progress");
    static const std::map<std::string, PF_RationalScale> kResolutions = {
        {"full", {1, 1}}, {"half", {1, 2}}, {"third", {1, 3}}, {"quarter", {1, 4}}};
    command
        .add_option_function<std::string>(
            "--resolution", [&options](const std::string& name) { options.resolution = kResolutions.at(name); },
            "render at full, half, third or quarter size (instead of the scene's downsample)")
        ->check(CLI::IsMember({"full", "half", "third", "quarter"}));
}

void apply_render_options(Scene& scene, const RenderOptions& options) {
    if (options.resolution) {
        scene.render.downsample = *options.resolution;
    }
}

}  // namespace vorlane::host
