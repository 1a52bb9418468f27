// Options that every command rendering a scene offers alike (`render`, and the preview): how loud it is and at
// which resolution it renders.
#pragma once

#include <CLI/CLI.hpp>
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

// The scene as rendered with the options: --resolution overrides its "downsample".
void apply_render_options(Scene& scene, const RenderOptions& options);

}  // namespace vorlane::host
