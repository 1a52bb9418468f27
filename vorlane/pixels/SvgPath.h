// SVG path data (the `d` attribute) read into mask shapes.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pixels/MaskShape.h"

namespace vorlane::host {

class PathDataError : public std::runtime_error {
  public:
    PathDataError(const std::string& message, std::size_t position);
    std::size_t position;  // byte offset into the path data where reading failed
};

// Reads the commands M L H V C S Q T A Z in absolute and relative form, with implicit repetition and the compact
// number forms ("-.5", "1e-3", "1.5.5" for 1.5 and .5). Every subpath becomes one shape whose segments are the
// cubic forms of its commands (lines and quadratics raised to cubics exactly, elliptical arcs within
// kArcTolerance, SvgArc.h); Z closes it. A subpath that draws
// nothing is left out. Throws PathDataError, naming the position, on anything else.
std::vector<MaskShape> parse_svg_path(std::string_view data);

// The shape whose segments are the given ones: consecutive segments must meet, and a closed shape's last
// segment must end where its first begins.
MaskShape shape_from_segments(const std::vector<CubicSegment>& segments, bool closed);

}  // namespace vorlane::host
