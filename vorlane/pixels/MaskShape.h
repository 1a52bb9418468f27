// Masks as the user draws them: vertices with tangents, open or closed, possibly keyframed.
#pragma once

#include <stdexcept>
#include <vector>

#include "AE_Effect.h"
#include "pixels/CubicSegment.h"

namespace vorlane::host {

// Tangents are offsets from the vertex: segment i runs from vertex i through vertex i + out tangent and
// vertex i+1 + in tangent to vertex i+1.
struct MaskVertex {
    double x = 0.0, y = 0.0;
    double in_x = 0.0, in_y = 0.0;
    double out_x = 0.0, out_y = 0.0;
};

struct MaskShape {
    std::vector<MaskVertex> vertices;
    bool closed = true;  // a closed mask has one more segment, from the last vertex back to the first
};

struct MaskKeyframe {
    double time = 0.0;  // in whatever unit the caller evaluates in
    MaskShape shape;
};

class MaskError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// n vertices give n segments when closed, n - 1 when open (none for an empty shape).
std::vector<CubicSegment> outline_segments(const MaskShape& shape);

// Four vertices (top, right, bottom, left: clockwise on screen) with the usual circle-approximating handles.
MaskShape ellipse_shape(double cx, double cy, double rx, double ry);

// Four corner vertices (top-left first, clockwise on screen) with zero tangents, as a drawn rectangle has.
MaskShape rect_shape(double x, double y, double width, double height);

// Brings a full-resolution mask to a downsampled render: x by downsample_x, y by downsample_y (num / den).
// Throws MaskError on a zero denominator.
MaskShape scale_shape(const MaskShape& shape, PF_RationalScale downsample_x, PF_RationalScale downsample_y);

// Throws MaskError unless the keys are non-empty, strictly increasing in time, agree in vertex count and in being
// open or closed.
void check_keyframes(const std::vector<MaskKeyframe>& keys);

// The shape at a time: linear interpolation of every vertex and tangent between the surrounding keys, the first
// key's shape before it and the last key's after it. Checks the keys as check_keyframes does.
MaskShape shape_at_time(const std::vector<MaskKeyframe>& keys, double time);

}  // namespace vorlane::host
