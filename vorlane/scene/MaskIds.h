// The ids under which the host knows the effect layer's masks. They are stable for the life of a scene and never
// 0, which names no mask; they are deliberately not the mask's index, so that an effect that confuses the two shows
// it at once.
#pragma once

#include "AE_Effect.h"

namespace vorlane::host {

constexpr PF_PathID kFirstMaskId = 1001;

constexpr PF_PathID mask_path_id(int index) {
    return kFirstMaskId + static_cast<PF_PathID>(index);
}

// The mask index of an id, or -1 when the id names none of `mask_count` masks.
constexpr int mask_index_of(PF_PathID id, int mask_count) {
    return id >= kFirstMaskId && id - kFirstMaskId < static_cast<PF_PathID>(mask_count)
               ? static_cast<int>(id - kFirstMaskId)
               : -1;
}

}  // namespace vorlane::host
