// The batch script of a farm render on Slurm: a job array with one task per chunk of frames, each task running
// `vorlane render --skip-existing` on its chunk, so that a re-submitted array renders only what is missing. Every
// path in it is absolute, so that it runs from any working directory on any node that sees the same file system;
// before rendering, a task checks that they are there and ends with one line when they are not.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "farm/FrameChunks.h"

namespace vorlane::host {

struct SlurmJob {
    std::string name;                // the job's name in squeue
    std::filesystem::path vorlane;   // the host binary
    std::filesystem::path module;    // the effect module it loads
    std::filesystem::path scene;     // the scene file
    std::filesystem::path out;       // the output folder
    std::filesystem::path logs;      // a folder for one log per task
    std::vector<FrameChunk> chunks;  // task i renders chunks[i]
    std::string partition;           // empty: the cluster's default
    std::string time;                // the time limit per task; empty: the partition's
    int threads = 1;                 // CPUs asked per task; the render's -j follows what Slurm grants
};

std::string slurm_batch_script(const SlurmJob& job);

// The text quoted for a POSIX shell: 'it'\''s'.
std::string shell_quote(const std::string& text);

}  // namespace vorlane::host
