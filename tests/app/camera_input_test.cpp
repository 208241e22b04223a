// Camera keys, the wheel, the pan, the drag rotation and the hit test,
// driven through the window's message queue as a user would.

#include "app_harness.h"

#include "app/camera_input.h"
#include "app/model_scene.h"
#include "scene/demo_view.h"
#include "scene/polyhedron.h"
#include "scene/scene_values.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace apptest {
namespace {

constexpr double kTol = 1e-3;

void expectVecNear(const Vec3& actual, double x, double y, double z, const char* what) {
    EXPECT_NEAR(actual.x, x, kTol) << what;
    EXPECT_NEAR(actual.y, y, kTol) << what;
    EXPECT_NEAR(actual.z, z, kTol) << what;
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool finite(const Matrix4& m) {
    for (float f : m.m) {
        if (!std::isfinite(f)) {
            return false;
        }
    }
    return true;
}

// One press of each camera key from the start camera: where eye and target
// go, and which way the polyhedron moves on the screen (-1, 0, +1 for the
// centroid's x and y, rows counted downwards).
struct KeyCase {
    const char* name;
    WPARAM key;
    Vec3 eye;
    Vec3 target;
    int screenDx;
    int screenDy;
    UINT message = WM_KEYDOWN; // WM_MOUSEWHEEL: `key` is its wParam
};

const double s05 = 200.0 * std::sin(0.05);
const double c05 = 200.0 * std::cos(0.05);

// WM_MOUSEWHEEL's wParam: the key state low, the signed turn high.
constexpr WPARAM wheel(int delta, unsigned keys = 0) {
    return MAKEWPARAM(keys, static_cast<WORD>(delta));
}

class CameraKey : public AppScenario, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CameraKey, MovesTheCameraAndThePicture) {
    const KeyCase& c = GetParam();
    // The same pass with and without the key: same spin, different camera.
    Picture still;
    run(1, [&](int pass) {
        if (pass == 1) {
            still = screen();
        }
    });
    startFresh();

    Vec3 eye, target, up;
    Picture moved;
    bool viewFinite = false;
    run(1, [&](int pass) {
        if (pass == 0) {
            if (c.message == WM_KEYDOWN) {
                key(c.key);
            } else {
                // The wheel's point is in screen coordinates; the walk
                // does not depend on it.
                post(c.message, c.key, MAKELPARAM(300, 200));
            }
        }
        if (pass == 1) {
            eye = appState.eye;
            target = appState.target;
            up = appState.up;
            viewFinite = finite(appState.device->viewMatrix);
            moved = screen();
        }
    });
    expectVecNear(eye, c.eye.x, c.eye.y, c.eye.z, "eye");
    expectVecNear(target, c.target.x, c.target.y, c.target.z, "target");
    expectVecNear(up, 0, 1, 0, "up");
    EXPECT_TRUE(viewFinite);

    const Silhouette before = silhouetteOf(still);
    const Silhouette after = silhouetteOf(moved);
    ASSERT_GT(before.pixels, 0);
    ASSERT_GT(after.pixels, 0);
    auto direction = [](double delta) { return delta > 2.0 ? 1 : (delta < -2.0 ? -1 : 0); };
    EXPECT_EQ(direction(after.cx - before.cx), c.screenDx);
    EXPECT_EQ(direction(after.cy - before.cy), c.screenDy);
}

INSTANTIATE_TEST_SUITE_P(
    , CameraKey,
    ::testing::Values(
        // The camera turns left: the polyhedron moves right on the screen.
        KeyCase{"Left", VK_LEFT, {0, 0, -200}, {float(-s05), 0, float(-200 + c05)}, 1, 0},
        KeyCase{"Right", VK_RIGHT, {0, 0, -200}, {float(s05), 0, float(-200 + c05)}, -1, 0},
        // The camera tilts down: the polyhedron moves up.
        KeyCase{"Up", VK_UP, {0, 0, -200}, {0, float(-s05), float(-200 + c05)}, 0, -1},
        KeyCase{"Down", VK_DOWN, {0, 0, -200}, {0, float(s05), float(-200 + c05)}, 0, 1},
        // Walking: the polyhedron grows or shrinks about the same centre.
        KeyCase{"A", 'A', {0, 0, -196}, {0, 0, 0}, 0, 0},
        KeyCase{"Z", 'Z', {0, 0, -204}, {0, 0, 0}, 0, 0},
        // Panning to the camera's left moves the picture right.
        KeyCase{"X", 'X', {-5, 0, -200}, {-5, 0, 0}, 1, 0},
        KeyCase{"C", 'C', {5, 0, -200}, {5, 0, 0}, -1, 0},
        // Any other key changes nothing.
        KeyCase{"Space", VK_SPACE, {0, 0, -200}, {0, 0, 0}, 0, 0},
        // The wheel: a notch away from the user is one A, towards the user
        // one Z, a part of a notch that part of a step, Shift five steps.
        KeyCase{"WheelAway", wheel(120), {0, 0, -196}, {0, 0, 0}, 0, 0, WM_MOUSEWHEEL},
        KeyCase{"WheelTowardsTheUser", wheel(-120), {0, 0, -204}, {0, 0, 0}, 0, 0, WM_MOUSEWHEEL},
        KeyCase{"WheelHalfANotch", wheel(60), {0, 0, -198}, {0, 0, 0}, 0, 0, WM_MOUSEWHEEL},
        KeyCase{"WheelThreeNotches", wheel(-360), {0, 0, -212}, {0, 0, 0}, 0, 0, WM_MOUSEWHEEL},
        KeyCase{
            "WheelWithShift", wheel(120, MK_SHIFT), {0, 0, -180}, {0, 0, 0}, 0, 0, WM_MOUSEWHEEL},
        KeyCase{"WheelStill", wheel(0, MK_SHIFT), {0, 0, -200}, {0, 0, 0}, 0, 0, WM_MOUSEWHEEL}),
    [](const auto& info) { return std::string(info.param.name); });

// Pairs of keys that undo each other.
struct KeyPair {
    const char* name;
    WPARAM first;
    WPARAM second;
};

class CameraKeyPair : public AppScenario, public ::testing::WithParamInterface<KeyPair> {};

TEST_P(CameraKeyPair, ReturnsTheCamera) {
    // Letter keys also produce a WM_CHAR (TranslateMessage), one more pass
    // each; ten passes leave room for both.
    Vec3 eye, target, eyeAfter, targetAfter;
    run(20, [&](int pass) {
        if (pass == 0) {
            key('C'); // start off the axis, so that a wrong sign shows
            key(VK_RIGHT);
        }
        if (pass == 10) {
            eye = appState.eye;
            target = appState.target;
            key(GetParam().first);
            key(GetParam().second);
        }
        if (pass == 20) {
            eyeAfter = appState.eye;
            targetAfter = appState.target;
        }
    });
    EXPECT_NEAR(eye.x, 5.0, 1e-4);
    EXPECT_NEAR(eyeAfter.x, eye.x, kTol);
    EXPECT_NEAR(eyeAfter.y, eye.y, kTol);
    EXPECT_NEAR(eyeAfter.z, eye.z, kTol);
    EXPECT_NEAR(targetAfter.x, target.x, kTol);
    EXPECT_NEAR(targetAfter.y, target.y, kTol);
    EXPECT_NEAR(targetAfter.z, target.z, kTol);
}

INSTANTIATE_TEST_SUITE_P(, CameraKeyPair,
                         ::testing::Values(KeyPair{"XthenC", 'X', 'C'}, KeyPair{"CthenX", 'C', 'X'},
                                           KeyPair{"AthenZ", 'A', 'Z'},
                                           KeyPair{"LeftThenRight", VK_LEFT, VK_RIGHT},
                                           KeyPair{"UpThenDown", VK_UP, VK_DOWN}),
                         [](const auto& info) { return std::string(info.param.name); });

// Walking into the target: the step that would bring the eye nearer than
// kMinEyeToTarget is refused, so the camera stays finite and keeps looking
// the same way; Z walks back out.
using CameraWalk = AppScenario;

TEST_F(CameraWalk, WalkingIntoTheTargetStopsShortOfIt) {
    // Each A or Z takes two passes (its WM_KEYDOWN and the WM_CHAR that
    // TranslateMessage adds).
    bool allFinite = true;
    Vec3 eyeAtStop;
    Vec3 eyeAfterBackingOut;
    Matrix4 viewAtStop;
    int surfacePixelsAtStop = -1;
    run(140, [&](int pass) {
        if (pass == 0) {
            for (int i = 0; i < 60; ++i) {
                key('A');
            }
        }
        if (pass == 121) {
            eyeAtStop = appState.eye;
            viewAtStop = appState.device->viewMatrix;
            surfacePixelsAtStop = silhouetteOf(screen()).pixels;
            for (int i = 0; i < 5; ++i) {
                key('Z');
            }
        }
        if (pass == 140) {
            eyeAfterBackingOut = appState.eye;
        }
        allFinite = allFinite && finite(appState.eye) && finite(appState.target) &&
                    finite(appState.device->viewMatrix);
    });
    EXPECT_TRUE(allFinite);
    // 49 steps of 4 from 200 leave 4; the 50th would reach the target.
    EXPECT_NEAR(eyeAtStop.z, -4.0, 1e-3);
    EXPECT_GE(-eyeAtStop.z, kMinEyeToTarget);
    // Still looking along +z with +y up.
    EXPECT_NEAR(viewAtStop.at(2, 2), 1.0, 1e-6);
    EXPECT_NEAR(viewAtStop.at(1, 1), 1.0, 1e-6);
    // The eye is inside the closed solid: every face turns its back on it.
    EXPECT_EQ(surfacePixelsAtStop, 0);
    EXPECT_NEAR(eyeAfterBackingOut.z, -24.0, 1e-3);
}

// The wheel stops short of the target as A does: 14 shifted notches of 20
// would pass it; the walk stops at 20 - 0 (the next would reach 0), and
// turning back works.
TEST_F(CameraWalk, TheWheelStopsShortOfTheTargetToo) {
    Vec3 eyeAtStop;
    Vec3 eyeBack;
    run(30, [&](int pass) {
        if (pass == 0) {
            for (int i = 0; i < 14; ++i) {
                post(WM_MOUSEWHEEL, wheel(120, MK_SHIFT), MAKELPARAM(300, 200));
            }
        }
        if (pass == 20) {
            eyeAtStop = appState.eye;
            post(WM_MOUSEWHEEL, wheel(-240), MAKELPARAM(300, 200));
        }
        if (pass == 30) {
            eyeBack = appState.eye;
        }
    });
    // Nine notches of 20 leave 20; the tenth would reach the target.
    EXPECT_NEAR(eyeAtStop.z, -20.0, 1e-3);
    EXPECT_GE(-eyeAtStop.z, kMinEyeToTarget);
    EXPECT_NEAR(eyeBack.z, -28.0, 1e-3);
}

// A drag with the middle or the right button pans the camera: the point
// under the pointer at the target's depth stays under the pointer. Seen on
// a flat square that faces the camera at the target's depth (a model,
// framed about it), whose centre moves as the pointer does against the
// same pass's picture without the pan. The camera keeps its direction and distance; the
// release ends the pan.
struct PanCase {
    const char* name;
    UINT down, up;
    unsigned held;
    int dx, dy;
};

void PrintTo(const PanCase& c, std::ostream* os) {
    *os << c.name;
}

class Panning : public AppScenario, public ::testing::WithParamInterface<PanCase> {
  protected:
    void TearDown() override {
        AppScenario::TearDown();
        std::filesystem::remove(square_);
    }

    // Runs with the square open from pass 0 on; `pan` posts the pan.
    Picture squareAtPass3(bool pan) {
        std::ofstream(square_, std::ios::binary)
            << "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nf 1 2 3 4\nf 4 3 2 1\n";
        const PanCase& c = GetParam();
        Picture shown;
        startFresh();
        run(6, [&](int pass) {
            if (pass == 0) {
                ASSERT_TRUE(openModel(square_));
                if (pan) {
                    post(c.down, c.held, MAKELPARAM(300, 200));
                    post(WM_MOUSEMOVE, c.held, MAKELPARAM(300 + c.dx / 2, 200 + c.dy / 2));
                    post(WM_MOUSEMOVE, c.held, MAKELPARAM(300 + c.dx, 200 + c.dy));
                }
            }
            if (pass == 4) {
                shown = screen();
                eye_ = appState.eye;
                target_ = appState.target;
                post(c.up, 0, MAKELPARAM(300 + c.dx, 200 + c.dy));
                // Moves after the release change nothing.
                post(WM_MOUSEMOVE, c.held, MAKELPARAM(0, 0));
            }
            if (pass == 6) {
                panning_ = appState.panButton != 0;
                eyeAfterRelease_ = appState.eye;
            }
        });
        return shown;
    }

    std::string square_ = (std::filesystem::temp_directory_path() /
                           ("octaspin square " + std::to_string(::getpid()) + ".obj"))
                              .string();
    Vec3 eye_, target_, eyeAfterRelease_;
    bool panning_ = true;
};

TEST_P(Panning, ThePointUnderThePointerStaysUnderIt) {
    const PanCase& c = GetParam();
    const Picture still = squareAtPass3(false);
    const Vec3 framedEye = eye_;
    const Picture moved = squareAtPass3(true);
    ASSERT_EQ(still.width, moved.width);
    const Silhouette before = silhouetteOf(still);
    const Silhouette after = silhouetteOf(moved);
    ASSERT_GT(before.pixels, 1000);
    // The spin has turned the square a little out of the target's plane,
    // so its edges see the pan's change of view; its centre, at the
    // target's depth, moves with the pointer.
    EXPECT_NEAR(after.pixels, before.pixels, before.pixels / 30);
    EXPECT_NEAR(after.cx - before.cx, c.dx, 0.5);
    EXPECT_NEAR(after.cy - before.cy, c.dy, 0.5);
    // Direction and distance kept: only the camera's plane changed.
    EXPECT_NEAR(target_.z - eye_.z, -framedEye.z, kTol);
    EXPECT_NEAR(target_.x, eye_.x, kTol);
    EXPECT_NEAR(target_.y, eye_.y, kTol);
    EXPECT_NEAR(eyeAfterRelease_.x, eye_.x, kTol);
    EXPECT_NEAR(eyeAfterRelease_.y, eye_.y, kTol);
    EXPECT_FALSE(panning_);
}

INSTANTIATE_TEST_SUITE_P(
    , Panning,
    ::testing::Values(PanCase{"MiddleRight", WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, 40, 0},
                      PanCase{"MiddleUpLeft", WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, -30, -25},
                      PanCase{"RightDown", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, 10, 35}),
    [](const auto& info) { return std::string(info.param.name); });

// The drag: the side of the polyhedron that faces the camera follows the
// pointer. The front point of the equator is followed through the world
// matrix the frame shows while the drag lasts.
struct DragCase {
    const char* name;
    int dx;
    int dy;
    int worldDx; // sign of the front point's motion in x (right) and y (up)
    int worldDy;
};

class Dragging : public AppScenario, public ::testing::WithParamInterface<DragCase> {};

constexpr int kPressX = 316; // inside face 0, above the equator
constexpr int kPressY = 160;

TEST_P(Dragging, NearSurfaceFollowsThePointer) {
    const DragCase& c = GetParam();
    Matrix4 modelAtPress, modelDuringDrag, world, modelAfter, dragRot;
    bool dragging = false;
    HWND capture = nullptr;
    run(6, [&](int pass) {
        if (pass == 0) {
            press(kPressX, kPressY);
            drag(kPressX + c.dx, kPressY + c.dy);
            release(kPressX + c.dx, kPressY + c.dy);
        }
        if (pass == 1) {
            modelAtPress = appState.modelRotation;
            capture = backend->capture();
        }
        if (pass == 2) {
            dragging = appState.dragging;
            world = appState.device->worldMatrix;
            dragRot = appState.dragRotation;
            modelDuringDrag = appState.modelRotation;
        }
        if (pass == 3) {
            modelAfter = appState.modelRotation;
        }
    });
    EXPECT_EQ(capture, appState.window);
    EXPECT_TRUE(dragging);
    // The spin pauses during the drag.
    EXPECT_TRUE(matricesNear(modelDuringDrag, modelAtPress, 0.0f));

    const Vec3 front{0, 0, -50};
    Vec3 before, after;
    transformPoint(before, modelAtPress, front);
    transformPoint(after, world, front);
    auto sign = [](double d) { return d > 1.0 ? 1 : (d < -1.0 ? -1 : 0); };
    EXPECT_EQ(sign(after.x - before.x), c.worldDx);
    EXPECT_EQ(sign(after.y - before.y), c.worldDy);
    // 0.01 radians per pixel of distance from the press point.
    const double angle = 0.01 * std::hypot(c.dx, c.dy);
    EXPECT_NEAR(dragRot.at(2, 2), std::cos(angle), 1e-5);

    // The release folds the drag in (the spin then goes on from there).
    Matrix4 folded;
    multiply(folded, modelAtPress, dragRot);
    Matrix4 spin;
    rotationY(spin, demo::kSpinPerFrame);
    multiply(folded, folded, spin);
    EXPECT_TRUE(matricesNear(modelAfter, folded, 1e-6f));
}

INSTANTIATE_TEST_SUITE_P(, Dragging,
                         ::testing::Values(DragCase{"Right", 30, 0, 1, 0},
                                           DragCase{"Left", -30, 0, -1, 0},
                                           DragCase{"Down", 0, 30, 0, -1},
                                           DragCase{"Up", 0, -30, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

using DragScenario = AppScenario;

TEST_F(DragScenario, PointerBackAtThePressPointGivesTheIdentity) {
    Matrix4 dragAway, dragBack;
    run(4, [&](int pass) {
        if (pass == 0) {
            press(kPressX, kPressY);
            drag(kPressX + 40, kPressY - 10);
            drag(kPressX, kPressY);
        }
        if (pass == 2) {
            dragAway = appState.dragRotation;
        }
        if (pass == 3) {
            dragBack = appState.dragRotation;
        }
    });
    EXPECT_FALSE(matricesNear(dragAway, identityMatrix(), 1e-3f));
    EXPECT_TRUE(matricesNear(dragBack, identityMatrix(), 0.0f));
}

TEST_F(DragScenario, PointerBeyondTheWindowEdgeKeepsTurning) {
    Matrix4 dragRot;
    run(3, [&](int pass) {
        if (pass == 0) {
            press(kPressX, kPressY);
            // Captured: the pointer left the client area on the left.
            drag(-20, kPressY);
        }
        if (pass == 2) {
            dragRot = appState.dragRotation;
        }
    });
    // The same rotation as a drag of -(316 + 20) pixels to the left.
    Matrix4 expected;
    Vec3 axis{0.0f, -1.0f, 0.0f};
    axisAngleRotation(expected, axis, 0.01f * 336.0f);
    EXPECT_TRUE(matricesNear(dragRot, expected, 1e-6f));
}

TEST_F(DragScenario, MovesWithoutTheButtonChangeNothing) {
    Matrix4 before, after;
    run(4, [&](int pass) {
        if (pass == 0) {
            press(kPressX, kPressY);
            drag(kPressX + 10, kPressY);
            post(WM_MOUSEMOVE, 0, MAKELPARAM(kPressX + 90, kPressY + 40));
        }
        if (pass == 2) {
            before = appState.dragRotation;
        }
        if (pass == 3) {
            after = appState.dragRotation;
        }
    });
    EXPECT_TRUE(matricesNear(after, before, 0.0f));
}

TEST_F(DragScenario, PressOutsideTheSilhouetteChangesNothing) {
    bool dragging = true;
    HWND capture = reinterpret_cast<HWND>(1);
    Matrix4 model;
    run(3, [&](int pass) {
        if (pass == 0) {
            press(40, 400);
            drag(140, 300);
        }
        if (pass == 3) {
            dragging = appState.dragging;
            capture = backend->capture();
            model = appState.modelRotation;
        }
    });
    EXPECT_FALSE(dragging);
    EXPECT_EQ(capture, nullptr);
    // The spin went on: three steps in three passes.
    EXPECT_TRUE(matricesNear(model, spun(3), 0.0f));
}

TEST_F(DragScenario, NewPressAfterALostReleaseStartsAfresh) {
    Matrix4 modelBefore, modelAfter, dragRot;
    bool dragging = false;
    int pressX = 0;
    run(4, [&](int pass) {
        if (pass == 0) {
            press(kPressX, kPressY);
            drag(kPressX + 50, kPressY + 20);
            // The release never arrives; the next press hits again.
            press(kPressX + 4, kPressY + 6);
        }
        if (pass == 2) {
            modelBefore = appState.modelRotation;
        }
        if (pass == 3) {
            modelAfter = appState.modelRotation;
            dragRot = appState.dragRotation;
            dragging = appState.dragging;
            pressX = appState.pressX;
        }
    });
    EXPECT_TRUE(dragging);
    EXPECT_EQ(pressX, kPressX + 4);
    EXPECT_TRUE(matricesNear(dragRot, identityMatrix(), 0.0f));
    // The lost drag was dropped, not folded in.
    EXPECT_TRUE(matricesNear(modelAfter, modelBefore, 0.0f));
}

// hitTestMesh on its own, with a device that has the transforms of a
// 632 x 432 frame but no bitmap.
struct HitCase {
    int x, y;
    bool hit;
};

// A 632 x 432 frame's extent (maxX 631, maxY 431), the demo projection and
// the start camera: all hitTestMesh reads of a device.
void aimStartCamera(RenderDevice& device) {
    device.maxX = 631;
    device.maxY = 431;
    demo::aimCamera(device);
}

TEST(HitTest, PointsInsideAndOutsideTheSilhouette) {
    RenderDevice device;
    aimStartCamera(device);
    const auto mesh = buildPolyhedron();
    // The silhouette: poles at rows 108 and 323, equator corners at
    // columns 210 and 420 (0.33 of the half-width from the centre).
    const HitCase cases[] = {
        {315, 215, true},   {315, 120, true},   {315, 310, true},  {230, 215, true},
        {410, 215, true},   {315, 100, false},  {315, 330, false}, {200, 215, false},
        {430, 215, false},  {250, 130, false},  {0, 0, false},     {631, 431, false},
        {-500, 215, false}, {315, 5000, false},
    };
    for (const HitCase& c : cases) {
        EXPECT_EQ(hitTestMesh(device, *mesh, c.x, c.y), c.hit) << c.x << "," << c.y;
    }
}

TEST(HitTest, FacesAtOrBehindTheCameraPlaneNeverHit) {
    RenderDevice device;
    aimStartCamera(device);
    // Two corners 250 in front of the eye, one 100 behind it and above: the
    // visible part of this triangle lies above the centre, but projecting
    // the corner behind the eye naively puts it at the bottom.
    Mesh mesh(3, 1);
    mesh.vertices[0].position = {-10, -10, 50};
    mesh.vertices[1].position = {10, -10, 50};
    mesh.vertices[2].position = {0, 100, -300};
    mesh.faces[0] = Face{0, 1, 2};
    for (int y : {230, 260, 300, 330, 400}) {
        EXPECT_FALSE(hitTestMesh(device, mesh, 315, y)) << y;
    }
    // A corner exactly on the camera plane (w = 0) behaves the same.
    mesh.vertices[2].position = {0, 100, -200};
    for (int y : {218, 220, 222, 300, 400}) {
        EXPECT_FALSE(hitTestMesh(device, mesh, 315, y)) << y;
    }
    // With the polyhedron in front of it, a mesh holding both still hits.
    Mesh both(9, 9);
    const auto poly = buildPolyhedron();
    for (int i = 0; i < 6; ++i) {
        both.vertices[i] = poly->vertices[i];
    }
    for (int k = 0; k < 8; ++k) {
        both.faces[k] = poly->faces[k];
    }
    both.vertices[6].position = {-10, -10, 50};
    both.vertices[7].position = {10, -10, 50};
    both.vertices[8].position = {0, 100, -300};
    both.faces[8] = Face{6, 7, 8};
    EXPECT_TRUE(hitTestMesh(device, both, 315, 120));
    EXPECT_FALSE(hitTestMesh(device, both, 315, 400));
}

TEST(HitTest, DeviceWithoutAFrameNeverHits) {
    RenderDevice device; // never bound: maxX = maxY = 0
    const auto mesh = buildPolyhedron();
    EXPECT_FALSE(hitTestMesh(device, *mesh, 0, 0));
}

} // namespace
} // namespace apptest
