// Options that every command rendering a scene offers alike (`render`, and the preview): how loud it is and at
// which resolution it renders.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <optional>
#include <string>

#include "AE_Effect.h"
#include "scene/Scene.h"

namespace vorlane::host {

struct RenderOptions {
    bool quiet = false;                          // no warnings, no progress: only errors
    std::optional<PF_RationalScale> resolution;  // replaces the scene's downsample when given
};

// --quiet and --resolution full|half|third|quarter.
void add_render_options(CLI::App& command, RenderOptions& options);

// --resolution full|half|third|quarter alone; `chosen` receives the name.
void add_resolution_option(CLI::App& command, std::function<void(const std::string&)> chosen,
                           const std::string& description);

// The scene as rendered with the options: --resolution overrides its "downsample".
void apply_render_options(Scene& scene, const RenderOptions& options);

}  // namespace vorlane::host
