// An SVG elliptical arc ("A"/"a" in path data) as cubic Bézier segments, the only kind a mask outline has.
#pragma once

#include <vector>

#include "pixels/CubicSegment.h"

namespace vorlane::host {

struct SvgArc {
    double rx = 0.0, ry = 0.0;      // radii; the sign is ignored
    double rotation_degrees = 0.0;  // of the ellipse's x axis
    bool large_arc = false;         // the arc of more than 180 degrees of the two that fit
    bool sweep = false;             // drawn towards increasing angle (clockwise on screen, y down)
};

// Every point of the returned segments lies within kArcTolerance pixels of the true ellipse. The first segment
// starts exactly at `from`, the last ends exactly at `to`, and consecutive ones meet. An arc that ends where it
// starts draws nothing (no segments); a zero radius makes it the straight line to `to`. Radii too small to reach
// `to` grow in proportion until they just do, as every SVG renderer does.
std::vector<CubicSegment> arc_segments(PathPoint from, const SvgArc& arc, PathPoint to);

// Largest distance from the true ellipse, in pixels, that the segments are built to stay within.
constexpr double kArcTolerance = 0.01;

}  // namespace vorlane::host
