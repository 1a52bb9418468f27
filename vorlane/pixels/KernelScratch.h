// Storage the transform kernel reuses from one call to the next: a sprite's texels are a few hundred kilobytes,
// which the allocator would otherwise map, fault in and unmap on every call. Scratches live in a pool shared by all
// threads rather than in thread-local storage, whose destructors the Windows build's threads do not run safely.
#pragma once

#include <vector>

#include "pixels/Lanes.h"
#include "pixels/PyramidCache.h"
#include "pixels/TexelImage.h"

namespace vorlane::host {

struct KernelScratch {
    std::vector<TexelImage> pyramid;  // the source and its halvings
    PyramidSource pyramid_source;     // what the pyramid was loaded from
    std::vector<Lanes> row;           // samples or sums of one destination row
};

// One scratch, held for a call: taken from the pool (or made) and given back, with storage beyond a few megabytes
// freed. Giving back never throws: a scratch the pool cannot take is freed.
class ScratchLease {
  public:
    ScratchLease();
    ~ScratchLease() noexcept;
    ScratchLease(const ScratchLease&) = delete;
    ScratchLease& operator=(const ScratchLease&) = delete;

    KernelScratch& operator*() const { return *scratch_; }
    KernelScratch* operator->() const { return scratch_; }

  private:
    KernelScratch* scratch_;
};

}  // namespace vorlane::host
