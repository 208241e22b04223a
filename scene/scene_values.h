// The demo scene's numbers, in one place for the program, its benchmarks
// and its tests. Vectors are (x, y, z), colours (red, green, blue) in 0..1.
#pragma once

#include "device/render_device.h"
#include "math/vector_math.h"

namespace demo {

// The look-at camera: 200 units in front of the polyhedron, looking along +z.
inline constexpr Vec3 kEye{0.0f, 0.0f, -200.0f};
inline constexpr Vec3 kTarget{0.0f, 0.0f, 0.0f};
inline constexpr Vec3 kUp{0.0f, 1.0f, 0.0f};

// The projection: the device's default one. The aspect factor stays 1
// whatever the window's shape.
inline constexpr float kHalfAngle = DefaultProjection::kHalfAngle;
inline constexpr float kAspect = DefaultProjection::kAspect;
inline constexpr float kNear = DefaultProjection::kNear;
inline constexpr float kFar = DefaultProjection::kFar;

// The directional light, from the lit surface towards the light (above and
// behind the camera; normalized when the light is made), and its colour.
inline constexpr Vec3 kLightDirection{0.0f, 1.0f, -1.0f};
inline constexpr Color3 kLightColor{1.0f, 1.0f, 1.0f};
inline constexpr Color3 kAmbientColor{0.1f, 0.1f, 0.1f};

inline constexpr Color3 kMaterialAmbient{1.0f, 1.0f, 1.0f};
inline constexpr Color3 kMaterialDiffuse{0.2f, 0.95f, 0.2f};

// Spin of the polyhedron per frame while it is not dragged, radians.
inline constexpr float kSpinPerFrame = 0.03f;

// The demo projection matrix.
inline Matrix4 projection() {
    Matrix4 m;
    perspective(m, kHalfAngle, kHalfAngle, kAspect, kNear, kFar);
    return m;
}

} // namespace demo
