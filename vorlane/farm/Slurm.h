// What the farm asks of Slurm's commands: whether a partition exists, and submitting a batch script.
#pragma once

#include <filesystem>
#include <string>

namespace vorlane::host {

// Whether the cluster has a partition of that name (`scontrol show partition`). Throws std::runtime_error when
// Slurm's commands cannot be run or cannot reach the cluster.
bool slurm_partition_exists(const std::string& partition);

// Submits the script (`sbatch --parsable`), optionally after a job (`--dependency=afterok:JOB`), and returns the
// job id. Throws std::runtime_error with sbatch's own words when it refuses.
std::string slurm_submit(const std::filesystem::path& script, const std::string& after_ok = {});

}  // namespace vorlane::host
