#include "app/camera_framing.h"

#include "app/app_state.h"
#include "geometry/framing.h"
#include "model/load_model.h"
#include "scene/scene_values.h"

#include <cmath>

namespace {

void lookFrom(const Vec3& eye, const Vec3& target, const Vec3& up) {
    appState.eye = eye;
    appState.target = target;
    appState.up = up;
    appState.device->lookAt(appState.eye, appState.target, appState.up);
}

bool hasLength(const Vec3& v) {
    const double squares = static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                           static_cast<double>(v.z) * v.z;
    return squares > 0.0 && std::isfinite(squares);
}

} // namespace

void frameCamera(const Vec3& side) {
    if (appState.device == nullptr) {
        return;
    }
    if (appState.model.meshes.empty()) {
        lookFrom(demo::kEye, demo::kTarget, demo::kUp);
        return;
    }
    const RenderDevice& device = *appState.device;
    const Vec3 direction = hasLength(side) ? side : kStartViewSide;
    framing::FramedView view;
    if (!framing::frameSphere(Vec3{}, model::kModelRadius, direction, demo::kUp,
                              device.projectionMatrix, view)) {
        return; // no usable projection: the camera stays
    }
    // The far plane bounds the distance: beyond it the whole mesh is left
    // out.
    const double farthest = static_cast<double>(device.farPlane) - model::kModelRadius - 1.0;
    if (view.distance > farthest && farthest > 0.0) {
        const double k = farthest / view.distance;
        view.eye = Vec3{static_cast<float>(view.eye.x * k), static_cast<float>(view.eye.y * k),
                        static_cast<float>(view.eye.z * k)};
    }
    lookFrom(view.eye, view.target, view.up);
}

void fitCamera() {
    const Vec3 side{static_cast<float>(static_cast<double>(appState.eye.x) - appState.target.x),
                    static_cast<float>(static_cast<double>(appState.eye.y) - appState.target.y),
                    static_cast<float>(static_cast<double>(appState.eye.z) - appState.target.z)};
    frameCamera(side);
}
