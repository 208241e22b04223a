#include "app/shown_frame.h"

#include "app/app_state.h"
#include "app/model_scene.h"
#include "geometry/draw_mesh.h"

#include <span>

bool drawShownMeshes() {
    const std::span<const Mesh> meshes = shownMeshes();
    if (appState.device == nullptr || meshes.empty()) {
        return false;
    }
    appState.device->clear();
    for (const Mesh& mesh : meshes) {
        drawMesh(*appState.device, mesh);
    }
    return true;
}
