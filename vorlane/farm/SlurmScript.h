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

// The job that ends a farm render to a video: once the array has succeeded (the dependency is given at submission),
// `vorlane encode` makes the video from the frames the array wrote, and only when the video is whole are the frames
// removed.
struct SlurmEncodeJob {
    std::string name;
    std::filesystem::path vorlane;
    std::filesystem::path frames;  // the folder of frame_NNNN.png the array wrote
    std::filesystem::path video;
    std::filesystem::path logs;
    FrameChunk range;       // the frames, in the video's order
    std::string fps;        // as `encode --fps` takes it
    std::string matte;      // RRGGBB
    bool force = false;     // replace a video that exists
    std::string partition;  // empty: the cluster's default
    std::string time;
};

std::string slurm_encode_script(const SlurmEncodeJob& job);

// The text quoted for a POSIX shell: 'it'\''s'.
std::string shell_quote(const std::string& text);

}  // namespace vorlane::host
