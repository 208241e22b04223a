#include "tools/frame_capture.h"

#include "app/app_state.h"
#include "model/load_model.h"

#include <algorithm>

namespace headless {

bool FrameCapture::look(HWND window) {
    if (!IsWindow(window)) {
        return false;
    }
    RECT client{};
    GetClientRect(window, &client);
    clientWidth_ = client.right - client.left;
    clientHeight_ = client.bottom - client.top;
    if (appState.device != nullptr) {
        frameWidth_ = appState.device->width;
        frameHeight_ = appState.device->height;
    }
    if (!appState.model.meshes.empty()) {
        modelName_ = model::baseName(appState.modelPath);
        modelVertices_ = appState.model.vertexCount;
        modelTriangles_ = appState.model.triangleCount;
    }
    if (!keepPictures_) {
        return false;
    }
    const platform::ImageView view = backend_.screen(window);
    if (view.bgr == nullptr || view.width <= 0 || view.height <= 0) {
        return false;
    }
    shownWidth_ = view.width;
    shownHeight_ = view.height;
    shown_.resize(static_cast<std::size_t>(view.width) * 3 * view.height);
    for (int y = 0; y < view.height; ++y) {
        const std::uint8_t* row = view.bgr + static_cast<std::ptrdiff_t>(y) * view.stride;
        std::copy(row, row + view.width * 3,
                  shown_.begin() + static_cast<std::ptrdiff_t>(y) * view.width * 3);
    }
    return true;
}

std::string FrameCapture::modelSummary() const {
    if (modelName_.empty()) {
        return {};
    }
    return "  model: " + modelName_ + "  vertices: " + std::to_string(modelVertices_) +
           "  triangles: " + std::to_string(modelTriangles_);
}

} // namespace headless
