// `vorlane render [SCENE.json] [--frames A-B] [--out DIR] [--trace FILE] [-j N] [--set NAME=VALUE]...
// [--edit NAME=VALUE]...`: frames of a scene, or of the built-in demo, as PNG files.
#pragma once

#include "vorlane/cli/Subcommands.h"

namespace vorlane {

void add_render_command(CLI::App& app, CliState& state);

}  // namespace vorlane
