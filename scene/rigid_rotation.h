// Keeping the polyhedron's accumulated rotation a rotation.
//
// modelRotation is multiplied by a small turn on every frame and by the
// drag on every release. Each product is rounded to 32-bit floats, and the
// rounding does not cancel: left alone, the rows of the upper 3x3 grow by
// about 1e-8 per spin step (x 1.011 after a million frames), and the
// polyhedron swells until its corners pass the eye.
#pragma once

#include "math/vector_math.h"

// How far the upper 3x3 may stray from orthonormal before it is restored:
// every row's length within this of 1, every pair of rows' dot product
// within this of 0. The spin reaches it after about 990 steps; until then
// the matrix is left exactly as the products made it.
inline constexpr double kRotationDriftTolerance = 1e-5;

// The largest deviation of the upper 3x3 from orthonormal: of a row's
// length from 1 and of two rows' dot product from 0. NaN when an entry
// is not finite.
double rotationDrift(const Matrix4& rotation);

// When the upper 3x3 has drifted past kRotationDriftTolerance, replaces its
// rows by orthonormal ones (Gram-Schmidt in double precision: the first row
// keeps its direction, the second its plane with the first) and returns
// true. The fourth row and column are left alone. A matrix within the
// tolerance, or one whose rows are not finite or are linearly dependent, is
// left unchanged (false).
bool restoreRigidRotation(Matrix4& rotation);
