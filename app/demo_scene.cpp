#include "app/demo_scene.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/polyhedron.h"

namespace {

// Half-angles of pi/4 to seven decimals: a 90-degree field of view both
// ways. The aspect factor stays 1 whatever the window's shape.
constexpr float kHalfAngle = 0.7853981f;
constexpr float kAspect = 1.0f;
constexpr float kNear = 1.0f;
constexpr float kFar = 1000.0f;

} // namespace

bool setupScene() {
    appState.device = std::make_unique<RenderDevice>();
    RenderDevice& device = *appState.device;
    if (!device.bind(appState.window)) {
        MessageBoxA(nullptr, "Error occured while intiating the device", "Application Message",
                    MB_OK);
        return false;
    }

    appState.eye = Vec3{0.0f, 0.0f, -200.0f};
    appState.target = Vec3{0.0f, 0.0f, 0.0f};
    appState.up = Vec3{0.0f, 1.0f, 0.0f};

    Matrix4 world;
    identity(world);
    Matrix4 projection;
    perspective(projection, kHalfAngle, kHalfAngle, kAspect, kNear, kFar);
    device.setWorldMatrix(world);
    device.lookAt(appState.eye, appState.target, appState.up);
    device.setProjection(projection);

    // From the lit surface towards the light: above and behind the camera.
    appState.directionalLight = std::make_unique<Light>();
    Light& sun = *appState.directionalLight;
    sun.direction = Vec3{0.0f, 1.0f, -1.0f};
    sun.color = Color3{1.0f, 1.0f, 1.0f};
    Vec3 unitDirection;
    normalize(unitDirection, sun.direction); // also writes the unit vector back

    appState.ambientLight = std::make_unique<Light>();
    appState.ambientLight->color = Color3{0.1f, 0.1f, 0.1f};

    appState.material = std::make_unique<Material>();
    appState.material->ambient = Color3{1.0f, 1.0f, 1.0f};
    appState.material->diffuse = Color3{0.2f, 0.95f, 0.2f};

    device.setLight(LightKind::Ambient, appState.ambientLight.get());
    device.setLight(LightKind::Directional, appState.directionalLight.get());
    device.setMaterial(appState.material.get());

    selectRenderMode(device, RenderMode::Flat);
    device.primitiveMode = PrimitiveMode::FaceList;

    appState.polyhedron = buildPolyhedron();

    identity(appState.modelRotation);
    identity(appState.dragRotation);
    return true;
}
