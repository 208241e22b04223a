#include "app/demo_scene.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "scene/demo_view.h"
#include "scene/polyhedron.h"
#include "scene/scene_values.h"

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
    appState.directionalLight = std::make_unique<Light>();
    appState.ambientLight = std::make_unique<Light>();
    appState.material = std::make_unique<Material>();
    demo::setUpView(device, *appState.ambientLight, *appState.directionalLight, *appState.material);
    selectRenderMode(device, RenderMode::Flat);

    appState.polyhedron = buildPolyhedron();

    identity(appState.modelRotation);
    identity(appState.dragRotation);
    return true;
}
