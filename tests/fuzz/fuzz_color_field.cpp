// Fuzz target: how the colour dialog reads its fields.
//
// Bytes -> three texts typed into the red, green and blue fields of the
// real colour dialog (the program's dialog procedure on the headless
// platform), then Ok. Checked: each stored component is finite and a whole
// number of 255ths in 0..1, and the preview the dialog painted shows
// exactly those three bytes.

#include "app/app_state.h"
#include "app/menu_commands.h"
#include "app/resource.h"
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The platform with the program's resources and a main window to own the
// dialogs, made on the first input and kept for the process.
struct Stage {
    platform::HeadlessBackend backend;

    Stage() {
        platform::setBackend(&backend);
        const HINSTANCE instance = platform::registerModule(octaspinResources());
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "fuzz";
        RegisterClassA(&windowClass);
        appState.window = CreateWindowExA(0, "fuzz", "fuzz", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                          nullptr, nullptr, instance, nullptr);
        if (appState.window == nullptr) {
            std::abort();
        }
    }
};

// The byte a stored component stands for; aborts unless the component is
// finite and a whole number of 255ths in 0..1.
int storedByte(float component) {
    if (!std::isfinite(component) || component < 0.0f || component > 1.0f) {
        std::abort();
    }
    const double scaled = static_cast<double>(component) * 255.0;
    const int byte = static_cast<int>(std::lround(scaled));
    if (std::fabs(scaled - byte) > 1e-3) {
        std::abort();
    }
    return byte;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Stage* stage = new Stage;
    FuzzedDataProvider in(data, size);
    std::array<std::string, 3> texts; // red, green, blue
    for (std::string& text : texts) {
        text = in.ConsumeRandomLengthString(4096);
    }
    COLORREF preview = 0;
    bool painted = false;
    stage->backend.queueDialogScript([&](platform::DialogDriver& dialog) {
        dialog.type(IDC_RED, texts[0]);
        dialog.type(IDC_GREEN, texts[1]);
        dialog.type(IDC_BLUE, texts[2]);
        // The preview rectangle starts at client pixel (20, 70).
        const platform::ImageView image = dialog.image();
        if (image.bgr != nullptr && image.width > 20 && image.height > 70) {
            const std::uint8_t* p = image.bgr + 70 * image.stride + 20 * 3;
            preview = RGB(p[2], p[1], p[0]);
            painted = true;
        }
        dialog.pressEnter();
    });
    const Color3 color = runColorDialog(Color3{0.5f, 0.5f, 0.5f});
    const int red = storedByte(color.r);
    const int green = storedByte(color.g);
    const int blue = storedByte(color.b);
    if (!painted || preview != RGB(red, green, blue)) {
        std::abort();
    }
    return 0;
}
