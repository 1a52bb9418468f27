#include "pixels/ClearEnds.h"

#include <cstdint>

#include "pixels/TexelImage.h"
#include "pixels/TexelSampling.h"

namespace vorlane::host {

namespace {

PassRow without_clear_ends(PassRow row, const TexelImage& image) {
    auto clear = [&](std::int64_t u, std::int64_t v) { return clear_tap(image, whole(u), whole(v)); };
    const std::int64_t du = row.u.step, dv = row.v.step;
    std::int64_t u = row.u.start, v = row.v.start;
    while (row.begin < row.end && clear(u, v)) {
        ++row.begin;
        u += du;
        v += dv;
    }
    row.u.start = u;
    row.v.start = v;
    if (row.begin < row.end) {
        const std::int64_t last = row.end - row.begin - 1;
        u += last * du;
        v += last * dv;
        while (clear(u, v)) {
            --row.end;
            u -= du;
            v -= dv;
        }
    }
    return row;
}

}  // namespace

PassRow drawn_row(const SamplePass& pass, A_long y, const PF_Rect& clip) {
    const PassRow row = pass_row(pass, y, clip);
    if (pass.nearest || row.begin >= row.end) {
        return row;
    }
    return without_clear_ends(row, *pass.image);
}

}  // namespace vorlane::host
