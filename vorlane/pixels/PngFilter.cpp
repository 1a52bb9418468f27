#include "pixels/PngFilter.h"

#include <cstdlib>

namespace vorlane::host {

namespace {

using Byte = std::uint8_t;

std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

void filter_none(const Byte* row, std::size_t n, Byte* out) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = row[i];
    }
}

void filter_sub(const Byte* row, std::size_t n, std::size_t bpp, Byte* out) {
    for (std::size_t i = 0; i < bpp && i < n; ++i) {
        out[i] = row[i];
    }
    for (std::size_t i = bpp; i < n; ++i) {
        out[i] = Byte(row[i] - row[i - bpp]);
    }
}

void filter_up(const Byte* row, const Byte* above, std::size_t n, Byte* out) {
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = Byte(row[i] - above[i]);
    }
}

void filter_average(const Byte* row, const Byte* above, std::size_t n, std::size_t bpp, Byte* out) {
    for (std::size_t i = 0; i < bpp && i < n; ++i) {
        out[i] = Byte(row[i] - above[i] / 2);
    }
    for (std::size_t i = bpp; i < n; ++i) {
        out[i] = Byte(row[i] - (row[i - bpp] + above[i]) / 2);
    }
}

void filter_paeth(const Byte* row, const Byte* above, std::size_t n, std::size_t bpp, Byte* out) {
    for (std::size_t i = 0; i < bpp && i < n; ++i) {
        out[i] = Byte(row[i] - paeth(0, above[i], 0));
    }
    for (std::size_t i = bpp; i < n; ++i) {
        out[i] = Byte(row[i] - paeth(row[i - bpp], above[i], above[i - bpp]));
    }
}

// The bytes read as signed, by magnitude.
std::uint64_t cost(const Byte* bytes, std::size_t n) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned v = bytes[i];
        sum += v < 128 ? v : 256 - v;
    }
    return sum;
}

}  // namespace

const std::vector<std::uint8_t>& best_filtered_row(const std::uint8_t* row, const std::uint8_t* above, std::size_t size,
                                                   std::size_t bpp, FilterScratch& scratch) {
    for (std::size_t type = 0; type < scratch.size(); ++type) {
        scratch[type].resize(size + 1);
        scratch[type][0] = Byte(type);
    }
    filter_none(row, size, scratch[0].data() + 1);
    filter_sub(row, size, bpp, scratch[1].data() + 1);
    filter_up(row, above, size, scratch[2].data() + 1);
    filter_average(row, above, size, bpp, scratch[3].data() + 1);
    filter_paeth(row, above, size, bpp, scratch[4].data() + 1);
    std::size_t best = 0;
    std::uint64_t best_cost = cost(scratch[0].data() + 1, size);
    for (std::size_t type = 1; type < scratch.size(); ++type) {
        const std::uint64_t c = cost(scratch[type].data() + 1, size);
        if (c < best_cost) {
            best_cost = c;
            best = type;
        }
    }
    return scratch[best];
}

void filter_row(std::size_t type, const std::uint8_t* row, const std::uint8_t* above, std::size_t size, std::size_t bpp,
                std::uint8_t* out) {
    out[0] = Byte(type);
    switch (type) {
        case 1:
            filter_sub(row, size, bpp, out + 1);
            break;
        case 2:
            filter_up(row, above, size, out + 1);
            break;
        case 3:
            filter_average(row, above, size, bpp, out + 1);
            break;
        case 4:
            filter_paeth(row, above, size, bpp, out + 1);
            break;
        default:
            out[0] = 0;
            filter_none(row, size, out + 1);
            break;
    }
}

}  // namespace vorlane::host
