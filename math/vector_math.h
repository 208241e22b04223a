// Three-component vectors, 4x4 matrices and the eleven operations the whole
// renderer is built on.
//
// Conventions every caller relies on:
//  - Vectors are row vectors multiplied on the left: p' = p x M. The
//    translation of an affine matrix sits in the fourth row (m[12..14]) and
//    the fourth column (m[3], m[7], m[11], m[15]) produces the homogeneous w.
//    Transforms therefore compose left to right: p x A x B applies A first.
//  - Matrix4 stores sixteen floats row by row: element (row i, column j) is
//    m[4*i + j].
//  - Angles are radians. Sine and cosine are taken of the 32-bit angle and
//    rounded to 32-bit floats before use; intermediate sums and products run
//    in double precision and results are stored as 32-bit floats.
//  - Every operation that produces a vector or matrix writes it through an
//    output argument that comes first; the vector operations also return it
//    so calls nest.
#pragma once

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Matrix4 {
    float m[16] = {};

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    // Element (row, column).
    float& at(int row, int column) { return m[4 * row + column]; }
    float at(int row, int column) const { return m[4 * row + column]; }
};

// m := identity.
void identity(Matrix4& m);

// out := a x b (a acts first). The product is formed in a temporary, so out
// may be the same matrix as a or b.
void multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);

// out := (v, 1) x m divided by w. Every input component is read before any
// output component is written, so out may be v.
// Guard: when w is exactly 0 the point has no finite image; the result is
// the zero vector instead of infinities.
Vec3& transformPoint(Vec3& out, const Matrix4& m, const Vec3& v);

// Rotations about the X and Y axes: rotationX maps (x, y, z) to
// (x, y cos - z sin, y sin + z cos); rotationY maps it to
// (x cos + z sin, y, -x sin + z cos).
void rotationX(Matrix4& m, float theta);
void rotationY(Matrix4& m, float theta);

float length(const Vec3& v);

// In the header: the pipeline takes it once per face and per vertex of
// meshes of a million triangles, where a call costs as much as the sum.
inline float dot(const Vec3& a, const Vec3& b) {
    return static_cast<float>(static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                              static_cast<double>(a.z) * b.z);
}

// out := a x b. Inputs are read before the output is written (out may alias).
Vec3& cross(Vec3& out, const Vec3& a, const Vec3& b);

// Writes the unit vector of v into out AND back into v (callers rely on the
// write-back). Guard: a zero vector stays zero in both instead of becoming
// NaN.
Vec3& normalize(Vec3& out, Vec3& v);

// Perspective projection from half-angles: m0 = aspect * cot(angleX),
// m5 = cot(angleY), m10 = Q = zFar / (zFar - zNear), m11 = 1,
// m14 = -Q * zNear, m15 = 0. After transformPoint, w is the view-space z and
// the projected depth runs from 0 at zNear to 1 at zFar.
void perspective(Matrix4& m, float angleX, float angleY, float aspect, float zNear, float zFar);

// Rotation about an arbitrary axis. Normalizes the caller's axis in place.
// Under the row-vector convention it turns points by -theta about the axis
// (for axis (1, 0, 0) it equals rotationX(-theta)).
Matrix4& axisAngleRotation(Matrix4& m, Vec3& axis, float theta);
