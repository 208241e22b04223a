#include "app/model_scene.h"

#include "app/app_state.h"
#include "app/camera_framing.h"
#include "app/model_colors_item.h"
#include "app/model_loading.h"
#include "app/resource.h"
#include "scene/scene_values.h"

#include <vector>

namespace {

// The dialog's filters: the three formats, then anything (a model with
// another extension is recognised by its content).
constexpr char kFilters[] = "3D models (*.obj;*.ply;*.stl)\0*.obj;*.ply;*.stl\0"
                            "All files (*.*)\0*.*\0";
// Room for the path the dialog returns (the platform's long paths
// included).
constexpr DWORD kPathRoom = 32768;

// The demo's projection with aspect = height / width of the frame.
void setModelProjection(RenderDevice& device) {
    if (device.width <= 0 || device.height <= 0) {
        return;
    }
    const float aspect = static_cast<float>(device.height) / static_cast<float>(device.width);
    Matrix4 projection;
    perspective(projection, demo::kHalfAngle, demo::kHalfAngle, aspect, demo::kNear, demo::kFar);
    device.setProjection(projection);
}

} // namespace

bool openModel(const std::string& path) {
    if (appState.loading.mode != ModelLoadMode::Now) {
        startModelLoad(path);
        return true;
    }
    model::LoadResult loaded = loadModelNow(path);
    if (!loaded.ok()) {
        MessageBoxA(appState.window, loaded.error.c_str(), kMessageCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    installLoadedModel(std::move(loaded.model), path);
    return true;
}

void installLoadedModel(model::LoadedModel loaded, const std::string& path) {
    appState.model = std::move(loaded);
    appState.modelPath = path;
    identity(appState.modelRotation);
    identity(appState.dragRotation);
    if (appState.device != nullptr) {
        setModelProjection(*appState.device);
    }
    frameCamera(kStartViewSide);
    showModelColorsItem(true);
    SetWindowTextA(appState.window, shownTitle().c_str());
}

std::string modelTitle(const std::string& path, const std::vector<std::string>& notes) {
    std::string title = model::baseName(path);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        title += i == 0 ? " (" : "; ";
        title += notes[i];
    }
    if (!notes.empty()) {
        title += ")";
    }
    return title + " - " + kWindowTitle;
}

std::string shownTitle() {
    if (appState.model.meshes.empty()) {
        return kWindowTitle;
    }
    return modelTitle(appState.modelPath, appState.model.notes);
}

void openModelFromDialog() {
    std::vector<char> path(kPathRoom, '\0');
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = appState.window;
    request.lpstrFilter = kFilters;
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = kPathRoom;
    request.lpstrTitle = "Open a model";
    request.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&request)) {
        openModel(path.data());
    }
}

void openDroppedModel(HDROP drop) {
    std::string path;
    if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        path.resize(DragQueryFileA(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileA(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    // Given back first: the message box of a failure may take a while.
    DragFinish(drop);
    if (!path.empty()) {
        openModel(path);
    }
}

void fitModelProjection() {
    if (!appState.model.meshes.empty() && appState.device != nullptr) {
        setModelProjection(*appState.device);
    }
}

std::span<const Mesh> shownMeshes() {
    if (!appState.model.meshes.empty()) {
        return appState.model.meshes;
    }
    if (appState.polyhedron != nullptr) {
        return std::span<const Mesh>(appState.polyhedron.get(), 1);
    }
    return {};
}
