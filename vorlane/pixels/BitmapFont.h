// Digits and a minus sign, 5 x 7 cells, for the counter sprite.
#pragma once

namespace vorlane::host {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Whether cell (column, row) of the glyph for `c` ('0'..'9' or '-') is lit; other characters are blank.
bool glyph_cell(char c, int column, int row);

}  // namespace vorlane::host
