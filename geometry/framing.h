// Framing: where the camera stands so that a model fills the picture and is
// never cut at its border, whatever the model's size or shape and the
// picture's size or shape.
//
// The rule, which anyone can follow to reproduce a framed picture:
//  1. The projection's scales sx = |projection[0]| and sy = |projection[5]|
//     turn x / z and y / z of view space into -1..1 across the picture. The
//     larger, s = max(sx, sy) in double, belongs to the side that the
//     projection gives the smaller angle: the picture's shorter side for a
//     projection whose aspect is height / width, as the window's is.
//  2. The model's bounding sphere (centre c, radius r) seen from the
//     distance d along the view axis has a silhouette of half-angle a,
//     tan a = r / sqrt(d^2 - r^2), whose image reaches s * tan a. It is made
//     to reach 1 - margin: t = (1 - margin) / s and
//     d = r * sqrt(1 + 1 / (t * t)), all in double.
//  3. The eye is c + v * (d / |v|) for the given direction v, in double
//     (|v| the square root of the sum of the squares), each coordinate
//     rounded to float once; the camera looks at c with the given up vector
//     (lookAt).
// With the default margin of 0.05 the sphere's image spans 95% of the
// shorter side's half on each side of the centre: the model, inside its
// sphere, shows whole and fills that side when it is round, less when it is
// not. The view pyramid (|x| <= z, |y| <= z) holds the sphere whenever
// s >= 1, so no clipping against it cuts the model either. (The eye must
// also stay within the projection's near and far planes of every vertex:
// d - r > near and d + r < far; for the demo's projection with r = 100,
// d is about 146.)
#pragma once

#include "math/vector_math.h"

namespace framing {

inline constexpr double kMargin = 0.05;

struct FramedView {
    Vec3 eye;
    Vec3 target;
    Vec3 up;
    double distance = 0.0; // d of item 2
};

// d of item 2; 0 when the radius is not positive and finite or the
// projection has no usable scale (zero, not finite) or the margin is
// outside [0, 1).
double distance(float radius, const Matrix4& projection, double margin = kMargin);

// The whole view of item 3; false (view untouched) when distance() is 0 or
// the direction has no length.
bool frameSphere(const Vec3& centre, float radius, const Vec3& direction, const Vec3& up,
                 const Matrix4& projection, FramedView& view, double margin = kMargin);

} // namespace framing
