// Host memory handles (PF_Handle) as the host hands them out: a handle is a pointer to the block's master
// pointer, as on the original platforms. Every handle is tracked; one that the effect never disposes of (the global
// record, for one) is freed when the store goes, i.e. when the session ends. Unknown or already disposed handles
// are refused instead of followed, and counted.
//
// Thread-safe.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

#include "AE_Effect.h"

namespace vorlane::host {

class HandleStore {
  public:
    HandleStore() = default;
    HandleStore(const HandleStore&) = delete;
    HandleStore& operator=(const HandleStore&) = delete;

    // Zero-filled memory of `size` bytes; null when it cannot be had.
    PF_Handle create(A_HandleSize size);
    void* lock(PF_Handle handle);  // null for an unknown handle
    void unlock(PF_Handle handle);
    void dispose(PF_Handle handle);
    A_HandleSize size(PF_Handle handle) const;  // 0 for an unknown handle
    // Keeps the contents up to the smaller size; a locked handle may not move, so it cannot be resized.
    PF_Err resize(PF_Handle handle, A_HandleSize new_size);

    bool contains(PF_Handle handle) const;
    int lock_count(PF_Handle handle) const;
    std::size_t live_handles() const;
    int bad_handle_uses() const;  // locks, unlocks, disposes and sizes of handles not (or no longer) ours

  private:
    struct Block {
        void* data = nullptr;                // the master pointer: PF_Handle points here
        std::unique_ptr<std::byte[]> bytes;  // what it points at
        A_HandleSize size = 0;
        int locks = 0;
    };
    Block* find(PF_Handle handle) const;  // caller holds the mutex

    mutable std::mutex mutex_;
    std::map<PF_Handle, std::unique_ptr<Block>> blocks_;
    mutable int bad_uses_ = 0;
};

}  // namespace vorlane::host
