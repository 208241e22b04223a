#include "app/demo_scene.h"

#include "app/app_state.h"
#include "app/resource.h"
#include "scene/demo_view.h"
#include "scene/polyhedron.h"
#include "scene/scene_values.h"

bool setupScene() {
    appState.device = std::make_unique<RenderDevice>();
    RenderDevice& device = *appState.device;
    if (!device.bind(appState.window)) {
        // Spelled as the program has always spelled it: tests and tools
        // look for this exact text.
        MessageBoxA(nullptr, "Error occured while intiating the device", kMessageCaption, MB_OK);
        return false;
    }

    appState.eye = demo::kEye;
    appState.target = demo::kTarget;
    appState.up = demo::kUp;
    appState.directionalLight = std::make_unique<Light>();
    appState.ambientLight = std::make_unique<Light>();
    appState.material = std::make_unique<Material>();
    demo::setUpView(device, *appState.ambientLight, *appState.directionalLight, *appState.material);

    appState.polyhedron = buildPolyhedron();

    identity(appState.modelRotation);
    identity(appState.dragRotation);
    return true;
}
