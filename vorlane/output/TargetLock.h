// A render's hold on its target, so that two renders cannot write one target at once: frames of two scenes would
// interleave in one folder, and of two renders of one video the second would replace the first.
//
// The hold is a lock on a hidden file beside the target (".frames.lock" beside a folder of frames,
// ".NAME_####.png.lock" beside a sequence, ".cut.mp4.lock" beside a video), on the bytes at the offsets of the
// frames rendered: renders of disjoint frames of one target, as the tasks of a farm render are, hold disjoint bytes
// and go on side by side; any overlap is refused. A video or a single image is held whole. The system lets the
// lock go when the process ends, however it ends; the last holder removes the file.
#pragma once

#include <filesystem>

#include "A.h"
#include "output/OutputTarget.h"

namespace vorlane::host {

// The lock file of a target (the folder it is in must exist before it is locked).
std::filesystem::path target_lock_file(const OutputTarget& target);

class TargetLock {
  public:
    // Holds frames first..last of the target, or all of a video or single image. Throws TargetError, in one line
    // naming the target, when another render holds any of them or the lock file cannot be made.
    TargetLock(const OutputTarget& target, A_long first, A_long last);
    ~TargetLock();
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;

  private:
    std::filesystem::path file_;
#if defined(_WIN32)
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace vorlane::host
