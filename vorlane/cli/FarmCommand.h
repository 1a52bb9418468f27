// `vorlane farm slurm SCENE --out DIR [--frames A-B] [--chunk N] [--partition P] [--time T] [-j N] [--submit]`:
// writes the batch script of a Slurm job array that renders the scene in chunks of frames, and with --submit
// submits it. Everything a submission could fail on later (the scene, its parameter values, the output folder, the
// partition) is checked first, so that a refused render submits nothing.
// `vorlane farm status DIR [--frames A-B]`: which frames of a farm render are there and whole, and which missing.
#pragma once

#include "cli/Subcommands.h"

namespace vorlane::host {

void add_farm_command(CLI::App& app, CliState& state);

}  // namespace vorlane::host
