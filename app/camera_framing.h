// Where the camera goes when the window asks for the whole picture: on
// opening a model, on View > Fit (and the F key), and on File > Reset with
// a model shown.
//  - A model: the framing rule of geometry/framing.h for its bounding
//    sphere (the origin and model::kModelRadius: the loader puts every
//    model there, and the spin turns it about the origin, so the sphere
//    holds it in every frame) through the device's projection as it
//    stands, so that the sphere fits the frame with the rule's margin. The
//    eye lies on the given side of the centre; the up vector stays (0, 1,
//    0). Where the frame is so narrow that the rule's distance would put
//    part of the sphere beyond the far plane (the model would vanish), the
//    eye stops at far - radius - 1, and the narrow sides cut the model.
//  - The demo: its start camera (scene/scene_values.h), so the frames are
//    those of a fresh start with the rotation it has.
// appState's eye, target and up and the device's view follow.
#pragma once

#include "math/vector_math.h"

// The side the camera looks from at start: the eye on -z, looking along +z.
inline constexpr Vec3 kStartViewSide{0.0f, 0.0f, -1.0f};

// The camera for the whole picture, from `side` of the centre (ignored for
// the demo; a side of no length counts as kStartViewSide).
void frameCamera(const Vec3& side);

// View > Fit and F: the model framed from the side the camera looks from
// now (eye - target), or the demo's start camera.
void fitCamera();
