#include "app/camera_input.h"

#include "app/app_state.h"
#include "app/model_scene.h"
#include "scene/rigid_rotation.h"

#include <cmath>
#include <vector>

namespace {

Vec3 add(const Vec3& a, const Vec3& b) {
    return Vec3{static_cast<float>(static_cast<double>(a.x) + b.x),
                static_cast<float>(static_cast<double>(a.y) + b.y),
                static_cast<float>(static_cast<double>(a.z) + b.z)};
}

Vec3 subtract(const Vec3& a, const Vec3& b) {
    return Vec3{static_cast<float>(static_cast<double>(a.x) - b.x),
                static_cast<float>(static_cast<double>(a.y) - b.y),
                static_cast<float>(static_cast<double>(a.z) - b.z)};
}

Vec3 scale(const Vec3& v, float s) {
    return Vec3{static_cast<float>(static_cast<double>(v.x) * s),
                static_cast<float>(static_cast<double>(v.y) * s),
                static_cast<float>(static_cast<double>(v.z) * s)};
}

// target := eye + rotation applied to (target - eye): the target moves on a
// sphere about the eye.
void turnView(const Matrix4& rotation) {
    Vec3 d = subtract(appState.target, appState.eye);
    Vec3 turned;
    transformPoint(turned, rotation, d);
    appState.target = add(appState.eye, turned);
}

// eye := eye + step * unit(target - eye), unless that leaves the eye nearer
// than kMinEyeToTarget to the target (or past it).
void walkEye(float step) {
    Vec3 d = subtract(appState.target, appState.eye);
    double remaining = static_cast<double>(length(d)) - step;
    if (remaining < kMinEyeToTarget) {
        return;
    }
    Vec3 direction = d;
    Vec3 unitDirection;
    normalize(unitDirection, direction);
    appState.eye = add(appState.eye, scale(unitDirection, step));
}

// Slides eye and target by `sign` times kPanStep along the camera's right
// axis, the first column of the view matrix as the last lookAt left it.
void panCamera(float sign) {
    const Matrix4& view = appState.device->viewMatrix;
    const Vec3 right = scale(Vec3{view.at(0, 0), view.at(1, 0), view.at(2, 0)}, kPanStep);
    const Vec3 shift = scale(right, sign);
    appState.eye = add(appState.eye, shift);
    appState.target = add(appState.target, shift);
}

// The camera's axis in world space: column `column` of the view matrix as
// the last lookAt left it (0 right, 1 up).
Vec3 cameraAxis(int column) {
    const Matrix4& view = appState.device->viewMatrix;
    return Vec3{view.at(0, column), view.at(1, column), view.at(2, column)};
}

} // namespace

void handleCameraKey(WPARAM virtualKey) {
    if (appState.device == nullptr) {
        return;
    }
    Matrix4 rotation;
    switch (virtualKey) {
    case VK_LEFT:
        rotationY(rotation, -kTurnStep);
        turnView(rotation);
        break;
    case VK_RIGHT:
        rotationY(rotation, kTurnStep);
        turnView(rotation);
        break;
    case VK_UP:
        rotationX(rotation, kTurnStep);
        turnView(rotation);
        break;
    case VK_DOWN:
        rotationX(rotation, -kTurnStep);
        turnView(rotation);
        break;
    case 'A':
        walkEye(kWalkStep);
        break;
    case 'Z':
        walkEye(-kWalkStep);
        break;
    case 'X':
        panCamera(-1.0f);
        break;
    case 'C':
        panCamera(1.0f);
        break;
    default:
        return;
    }
    appState.device->lookAt(appState.eye, appState.target, appState.up);
}

void handleLeftButtonDown(int x, int y) {
    if (!appState.running || appState.device == nullptr) {
        return;
    }
    bool hit = false;
    for (const Mesh& mesh : shownMeshes()) {
        hit = hit || hitTestMesh(*appState.device, mesh, x, y);
    }
    if (!hit) {
        return;
    }
    SetCapture(appState.window);
    // A press while a drag is still marked (its release was lost) starts
    // afresh: the earlier drag's rotation is dropped, not folded in.
    appState.dragging = true;
    appState.pressX = x;
    appState.pressY = y;
    identity(appState.dragRotation);
}

void handleMouseMove(WPARAM keyState, int x, int y) {
    if (!appState.running || (keyState & MK_LBUTTON) == 0 || !appState.dragging) {
        return;
    }
    const float dx = static_cast<float>(x - appState.pressX);
    const float dy = static_cast<float>(y - appState.pressY);
    const float len =
        static_cast<float>(std::sqrt(static_cast<double>(dy) * dy + static_cast<double>(dx) * dx));
    if (len == 0.0f) {
        // Back at the press point: no axis, and the rotation's limit as the
        // distance shrinks is the identity.
        identity(appState.dragRotation);
        return;
    }
    // Horizontal motion turns about the vertical axis, vertical motion about
    // the horizontal one; axisAngleRotation turns by -angle under the
    // row-vector convention, so the near surface follows the pointer.
    Vec3 axis{static_cast<float>(static_cast<double>(dy) / len),
              static_cast<float>(static_cast<double>(dx) / len), 0.0f};
    const float angle = static_cast<float>(static_cast<double>(len) * kDragRadiansPerPixel);
    axisAngleRotation(appState.dragRotation, axis, angle);
}

void handleLeftButtonUp() {
    if (!appState.running || !appState.dragging) {
        return;
    }
    // A pan still under way keeps the capture.
    if (appState.panButton == 0) {
        ReleaseCapture();
    }
    appState.dragging = false;
    multiply(appState.modelRotation, appState.modelRotation, appState.dragRotation);
    restoreRigidRotation(appState.modelRotation);
}

void handleMouseWheel(WPARAM wParam) {
    if (appState.device == nullptr) {
        return;
    }
    double step = static_cast<double>(kWalkStep) * GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    if ((GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0) {
        step *= kShiftWheelFactor;
    }
    if (step == 0.0) {
        return;
    }
    walkEye(static_cast<float>(step));
    appState.device->lookAt(appState.eye, appState.target, appState.up);
}

void handlePanButtonDown(unsigned button, int x, int y) {
    if (!appState.running || appState.device == nullptr) {
        return;
    }
    // A press while a pan is marked (its release was lost) starts afresh.
    SetCapture(appState.window);
    appState.panButton = button;
    appState.panX = x;
    appState.panY = y;
}

void handlePanMove(WPARAM keyState, int x, int y) {
    if (!appState.running || appState.panButton == 0 || (keyState & appState.panButton) == 0 ||
        appState.device == nullptr) {
        return;
    }
    const RenderDevice& device = *appState.device;
    const int dx = x - appState.panX;
    const int dy = y - appState.panY;
    appState.panX = x;
    appState.panY = y;
    const double depth = length(subtract(appState.target, appState.eye));
    const double sx = device.projectionMatrix[0];
    const double sy = device.projectionMatrix[5];
    // Without a frame or a usable projection no pixel has a size.
    if ((dx == 0 && dy == 0) || device.maxX <= 0 || device.maxY <= 0 || !(sx > 0.0) ||
        !(sy > 0.0)) {
        return;
    }
    const double alongRight = -dx * 2.0 * depth / (sx * device.maxX);
    const double alongUp = dy * 2.0 * depth / (sy * device.maxY);
    const Vec3 right = cameraAxis(0);
    const Vec3 up = cameraAxis(1);
    const Vec3 shift{static_cast<float>(right.x * alongRight + up.x * alongUp),
                     static_cast<float>(right.y * alongRight + up.y * alongUp),
                     static_cast<float>(right.z * alongRight + up.z * alongUp)};
    if (!std::isfinite(shift.x) || !std::isfinite(shift.y) || !std::isfinite(shift.z)) {
        return;
    }
    appState.eye = add(appState.eye, shift);
    appState.target = add(appState.target, shift);
    appState.device->lookAt(appState.eye, appState.target, appState.up);
}

void handlePanButtonUp(unsigned button) {
    if (appState.panButton == 0 || button != appState.panButton) {
        return;
    }
    appState.panButton = 0;
    // A drag still under way keeps the capture.
    if (!appState.dragging) {
        ReleaseCapture();
    }
}

bool hitTestMesh(const RenderDevice& device, const Mesh& mesh, int x, int y) {
    // Without a frame there is no screen to map the point from.
    if (device.maxX <= 0 || device.maxY <= 0) {
        return false;
    }
    Matrix4 toClip;
    multiply(toClip, device.worldMatrix, device.viewMatrix);
    multiply(toClip, toClip, device.projectionMatrix);

    struct Projected {
        float x;
        float y;
        bool behind; // w <= 0: at or behind the camera plane
    };
    std::vector<Projected> points(static_cast<std::size_t>(mesh.vertexCount));
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec3& p = mesh.vertices[i].position;
        const double w = static_cast<double>(p.x) * toClip.at(0, 3) +
                         static_cast<double>(p.y) * toClip.at(1, 3) +
                         static_cast<double>(p.z) * toClip.at(2, 3) + toClip.at(3, 3);
        Vec3 projected;
        transformPoint(projected, toClip, p);
        points[i] = Projected{projected.x, projected.y, !(w > 0.0)};
    }

    // The inverse of the pipeline's screen mapping.
    const float mx = static_cast<float>(2.0 * x / device.maxX - 1.0);
    const float my = static_cast<float>(1.0 - 2.0 * y / device.maxY);

    // One counter for the whole test: a face that does not hold the point
    // adds an even number of crossings, so its parity is that of the faces
    // that do.
    int crossings = 0;
    for (const Face& face : mesh.faces) {
        const std::uint16_t corners[3] = {face.i0, face.i1, face.i2};
        if (points[corners[0]].behind || points[corners[1]].behind || points[corners[2]].behind) {
            continue;
        }
        for (int e = 0; e < 3; ++e) {
            const Projected& a = points[corners[e]];
            const Projected& b = points[corners[(e + 1) % 3]];
            const bool straddles = (a.x >= mx && b.x < mx) || (a.x <= mx && b.x > mx);
            if (!straddles) {
                continue;
            }
            const double crossingY =
                static_cast<double>(a.y) + (static_cast<double>(b.y) - a.y) *
                                               (static_cast<double>(mx) - a.x) /
                                               (static_cast<double>(b.x) - a.x);
            if (crossingY > my) {
                ++crossings;
            }
        }
        if (crossings % 2 == 1) {
            return true;
        }
    }
    return false;
}
