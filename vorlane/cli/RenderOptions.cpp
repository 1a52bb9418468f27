#include "cli/RenderOptions.h"

#include <map>

namespace vorlane::host {

namespace {

const std::map<std::string, PF_RationalScale>& resolutions() {
    static const std::map<std::string, PF_RationalScale> kResolutions = {
        {"full", {1, 1}}, {"half", {1, 2}}, {"third", {1, 3}}, {"quarter", {1, 4}}};
    return kResolutions;
}

}  // namespace

void add_resolution_option(CLI::App& command, std::function<void(const std::string&)> chosen,
                           const std::string& description) {
    command.add_option_function<std::string>("--resolution", std::move(chosen), description)
        ->check(CLI::IsMember({"full", "half", "third", "quarter"}));
}

void add_render_options(CLI::App& command, RenderOptions& options) {
    command.add_flag("--quiet,-q", options.quiet, "print nothing but errors: no warnings, no progress");
    add_resolution_option(
        command, [&options](const std::string& name) { options.resolution = resolutions().at(name); },
        "render at full, half, third or quarter size (instead of the scene's downsample)");
}

void apply_render_options(Scene& scene, const RenderOptions& options) {
    if (options.resolution) {
        scene.render.downsample = *options.resolution;
    }
}

}  // namespace vorlane::host
