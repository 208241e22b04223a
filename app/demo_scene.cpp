#include "app/demo_scene.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/polyhedron.h"
#include "app/scene_values.h"

bool setupScene() {
    appState.device = std::make_unique<RenderDevice>();
    RenderDevice& device = *appState.device;
    if (!device.bind(appState.window)) {
        MessageBoxA(nullptr, "Error occured while intiating the device", "Application Message",
                    MB_OK);
        return false;
    }

    appState.eye = demo::kEye;
    appState.target = demo::kTarget;
    appState.up = demo::kUp;

    Matrix4 world;
    identity(world);
    const Matrix4 projection = demo::projection();
    device.setWorldMatrix(world);
    device.lookAt(appState.eye, appState.target, appState.up);
    device.setProjection(projection);

    appState.directionalLight = std::make_unique<Light>();
    Light& sun = *appState.directionalLight;
    sun.direction = demo::kLightDirection;
    sun.color = demo::kLightColor;
    Vec3 unitDirection;
    normalize(unitDirection, sun.direction); // also writes the unit vector back

    appState.ambientLight = std::make_unique<Light>();
    appState.ambientLight->color = demo::kAmbientColor;

    appState.material = std::make_unique<Material>();
    appState.material->ambient = demo::kMaterialAmbient;
    appState.material->diffuse = demo::kMaterialDiffuse;

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
