#include "app/save_image.h"

#include "app/app_state.h"
#include "app/model_scene.h"
#include "app/resource.h"
#include "app/shown_frame.h"
#include "image/png_writer.h"
#include "platform/core/win32_files.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char kFilters[] = "PNG pictures (*.png)\0*.png\0";
// Room for the path the dialog returns (the platform's long paths
// included).
constexpr DWORD kPathRoom = 32768;
constexpr char kNoPicture[] = "There is no picture to save: the window has no room to draw in.";

void tell(const std::string& text) {
    MessageBoxA(appState.window, text.c_str(), kMessageCaption, MB_OK | MB_ICONERROR);
}

// The name the dialog suggests: the model's file name with ".png" for its
// extension, or the program's name.
std::string suggestedName() {
    if (appState.model.meshes.empty() || appState.modelPath.empty()) {
        return "octaspin.png";
    }
    std::string name = model::baseName(appState.modelPath);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name + ".png";
}

bool hasPicture() {
    return appState.device != nullptr && appState.device->hasFrame() && !shownMeshes().empty();
}

} // namespace

void saveImageFromDialog() {
    if (!hasPicture()) {
        tell(kNoPicture);
        return;
    }
    std::vector<char> path(kPathRoom, '\0');
    const std::string name = suggestedName();
    std::memcpy(path.data(), name.c_str(), std::min<std::size_t>(name.size(), kPathRoom - 1));
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = appState.window;
    request.lpstrFilter = kFilters;
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = kPathRoom;
    request.lpstrTitle = "Save Image";
    request.lpstrDefExt = "png";
    request.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetSaveFileNameA(&request)) {
        saveImage(path.data());
    }
}

bool saveImage(const std::string& path) {
    if (!hasPicture()) {
        tell(kNoPicture);
        return false;
    }
    drawShownMeshes();
    // The frame is bottom-up: its rows, top first, go into a picture of
    // their own.
    const RenderDevice& device = *appState.device;
    const std::size_t rowBytes = static_cast<std::size_t>(device.width) * 3;
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(device.height));
    for (std::int32_t y = 0; y < device.height; ++y) {
        std::memcpy(rows.data() + rowBytes * static_cast<std::size_t>(y),
                    device.rowStart + static_cast<std::ptrdiff_t>(y) * device.pitch, rowBytes);
    }
    const image::ImageRows picture{rows.data(), static_cast<std::ptrdiff_t>(rowBytes), device.width,
                                   device.height, image::PixelOrder::Bgr};
    std::string error;
    std::vector<std::uint8_t> png;
    const bool written =
        appState.pictureSink
            ? image::encodePng(picture, png, error) && appState.pictureSink(path, png, error)
            : image::writePng(path, picture, image::FileWrite::Replace, error);
    if (!written) {
        tell(error + "\nThe image was not saved.");
        return false;
    }
    return true;
}
