#include "session/HandleStore.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vorlane::host {
namespace {
// A handle bigger than this is a wrapped-around size, not a request worth honouring.
constexpr A_HandleSize kMaxHandleSize = A_HandleSize{1} << 40;

// Zero-filled bytes; one at least, so that every live handle has a distinct, non-null master pointer. Null when
// the memory cannot be had.
std::unique_ptr<std::byte[]> zeroed_bytes(A_HandleSize size) {
    try {
        return std::make_unique<std::byte[]>(size == 0 ? 1 : static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
}  // namespace

HandleStore::Block* HandleStore::find(PF_Handle handle) const {
    const auto it = blocks_.find(handle);
    if (it == blocks_.end()) {
        ++bad_uses_;
        return nullptr;
    }
    return it->second.get();
}

PF_Handle HandleStore::create(A_HandleSize size) {
    if (size > kMaxHandleSize) {
        return nullptr;
    }
    try {
        auto block = std::make_unique<Block>();
        block->bytes = zeroed_bytes(size);
        if (!block->bytes) {
            return nullptr;
        }
        block->data = block->bytes.get();
        block->size = size;
        auto handle = reinterpret_cast<PF_Handle>(&block->data);
        std::lock_guard lock(mutex_);
        blocks_.emplace(handle, std::move(block));
        return handle;
    } catch (const std::bad_alloc&) {
        return nullptr;  // the block, if made, went with its owner
    }
}

void* HandleStore::lock(PF_Handle handle) {
    std::lock_guard guard(mutex_);
    Block* block = find(handle);
    if (block == nullptr) {
        return nullptr;
    }
    ++block->locks;
    return block->data;
}

void HandleStore::unlock(PF_Handle handle) {
    std::lock_guard guard(mutex_);
    if (Block* block = find(handle); block != nullptr && block->locks > 0) {
        --block->locks;
    }
}

void HandleStore::dispose(PF_Handle handle) {
    std::lock_guard guard(mutex_);
    const auto it = blocks_.find(handle);
    if (it == blocks_.end()) {
        ++bad_uses_;
        return;
    }
    blocks_.erase(it);
}

A_HandleSize HandleStore::size(PF_Handle handle) const {
    std::lock_guard guard(mutex_);
    const Block* block = find(handle);
    return block ? block->size : 0;
}

PF_Err HandleStore::resize(PF_Handle handle, A_HandleSize new_size) {
    std::lock_guard guard(mutex_);
    Block* block = find(handle);
    if (block == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (block->locks > 0) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (new_size > kMaxHandleSize) {
        return PF_Err_OUT_OF_MEMORY;
    }
    std::unique_ptr<std::byte[]> bytes = zeroed_bytes(new_size);
    if (!bytes) {
        return PF_Err_OUT_OF_MEMORY;
    }
    std::memcpy(bytes.get(), block->bytes.get(), static_cast<std::size_t>(std::min(block->size, new_size)));
    block->bytes = std::move(bytes);
    block->data = block->bytes.get();
    block->size = new_size;
    return PF_Err_NONE;
}

bool HandleStore::contains(PF_Handle handle) const {
    std::lock_guard guard(mutex_);
    return blocks_.count(handle) != 0;
}

int HandleStore::lock_count(PF_Handle handle) const {
    std::lock_guard guard(mutex_);
    const auto it = blocks_.find(handle);
    return it == blocks_.end() ? 0 : it->second->locks;
}

std::size_t HandleStore::live_handles() const {
    std::lock_guard guard(mutex_);
    return blocks_.size();
}

int HandleStore::bad_handle_uses() const {
    std::lock_guard guard(mutex_);
    return bad_uses_;
}

}  // namespace vorlane::host
