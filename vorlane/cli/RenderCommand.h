// `vorlane render [SCENE.json] [--frames A-B] [--out DIR|NAME_####.png|NAME_####.exr|VIDEO] [--force]
// [--png-compression fast|small] [--skip-existing] [--trace FILE] [-j N] [--profile] [--set NAME=VALUE]...
// [--edit NAME=VALUE]...`: frames of a scene, or of the built-in demo, as PNG or OpenEXR files or a video
// (output/OutputTarget.h). Ctrl+C stops after the frames in flight and exits with status 130, naming the frames written
// or the video removed. --skip-existing keeps the frames whose file is already there and whole, so that a render
// stopped part way can be run again to finish it.
#pragma once

#include "cli/Subcommands.h"

namespace vorlane::host {

void add_render_command(CLI::App& app, CliState& state);

}  // namespace vorlane::host
