#include "pixels/KernelScratch.h"

#include <memory>
#include <mutex>
#include <new>

namespace vorlane::host {

namespace {

constexpr std::size_t kKeptFloats = std::size_t(1) << 20;
constexpr std::size_t kKeptLanes = std::size_t(1) << 16;

struct Pool {
    std::mutex mutex;
    std::vector<std::unique_ptr<KernelScratch>> idle;
};

Pool& pool() {
    static Pool p;
    return p;
}

}  // namespace

ScratchLease::ScratchLease() {
    Pool& p = pool();
    {
        const std::lock_guard<std::mutex> lock(p.mutex);
        if (!p.idle.empty()) {
            scratch_ = p.idle.back().release();
            p.idle.pop_back();
            return;
        }
    }
    scratch_ = new KernelScratch;
}

ScratchLease::~ScratchLease() noexcept {
    std::unique_ptr<KernelScratch> owned(scratch_);
    for (TexelImage& image : owned->pyramid) {
        if (image.lanes.capacity() > kKeptFloats) {
            image = TexelImage{};
            owned->pyramid_source = PyramidSource{};
        }
    }
    if (owned->pyramid_source.pixels.capacity() > kKeptFloats) {
        owned->pyramid_source = PyramidSource{};
    }
    if (owned->row.capacity() > kKeptLanes) {
        owned->row = {};
    }
    Pool& p = pool();
    const std::lock_guard<std::mutex> lock(p.mutex);
    try {
        p.idle.push_back(std::move(owned));
    } catch (const std::bad_alloc&) {
        // The pool has no room for one more: the scratch is freed instead of kept, and the next call makes one.
    }
}

}  // namespace vorlane::host
