// octaspin_e2e_message_box: shows one message box through the platform
// layer on the desktop backend and prints what MessageBoxA returned. The
// program itself only shows one when it cannot start, so the end-to-end
// test drives this probe to see the box on screen.

#include "platform/core/backend.h"
#include "platform/core/win32.h"
#include "platform/desktop/desktop.h"

#include <cstdio>

int main() {
    const auto backend = platform::createDesktopBackend();
    if (!backend) {
        std::fputs("octaspin_e2e_message_box: cannot open display\n", stderr);
        return 1;
    }
    platform::setBackend(backend.get());
    const int result =
        MessageBoxA(nullptr, "Cannot bind the render device: 640 x 480 @ 24 bits & more.",
                    "Application Message", MB_OK);
    platform::setBackend(nullptr);
    std::printf("%d\n", result);
    return 0;
}
