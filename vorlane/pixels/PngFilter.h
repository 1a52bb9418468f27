// The five PNG row filters and the usual choice among them: each row filtered every way, the one whose bytes, read
// as signed, sum smallest kept (the lowest filter type on a tie). It roughly halves the size of smooth pictures.
// Each filter is a loop of its own over the row, which the compiler vectorises.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlane::host {

// One candidate per filter type, reused from row to row; each holds the type byte and then the filtered bytes.
using FilterScratch = std::array<std::vector<std::uint8_t>, 5>;

// Filters `row` (of `size` bytes, `bpp` bytes per pixel) against the row `above` (zeros for the first) and returns
// the chosen candidate, type byte first, which stays valid until the next call with the same scratch.
const std::vector<std::uint8_t>& best_filtered_row(const std::uint8_t* row, const std::uint8_t* above, std::size_t size,
                                                   std::size_t bpp, FilterScratch& scratch);

// Filters `row` with one filter type (0 none, 1 sub, 2 up, 3 average, 4 Paeth) into `out`: the type byte, then
// `size` filtered bytes.
void filter_row(std::size_t type, const std::uint8_t* row, const std::uint8_t* above, std::size_t size, std::size_t bpp,
                std::uint8_t* out);

}  // namespace vorlane::host
