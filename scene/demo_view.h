// The demo's viewing conditions for any mesh: the camera, the projection,
// the two lights, the material and the spin of scene/scene_values.h, set on a
// device the caller owns. The program sets up its scene with them
// (app/demo_scene.h) around the polyhedron; benchmarks and tests use them
// to draw the polyhedron or other meshes exactly as the program would.
#pragma once

#include "device/render_device.h"
#include "math/vector_math.h"

namespace demo {

// The identity world matrix, the look-at camera and the projection.
void aimCamera(RenderDevice& device);

// Gives `ambient`, `directional` and `material` the demo's values (the
// light's direction normalized) and installs them. The device borrows the
// three objects: they must outlive its use of them.
void installLighting(RenderDevice& device, Light& ambient, Light& directional, Material& material);

// aimCamera, installLighting and the FaceList primitive mode: everything of
// the scene but the mesh and the fill style (the program sets that with
// its menu's check mark).
void setUpView(RenderDevice& device, Light& ambient, Light& directional, Material& material);

// One frame's spin: rotation x rotationY(kSpinPerFrame), restored to a
// rotation once rounding has made it drift (scene/rigid_rotation.h).
void spinStep(Matrix4& rotation);

} // namespace demo
