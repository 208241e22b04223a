// octaspin: the program in a real window on the local display.

#include "app/app_state.h"
#include "app/argv_options.h"
#include "app/resources.h"
#include "app/winmain_command_line.h"
#include "platform/core/backend.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/desktop/desktop.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (const auto answer = commandLineAnswer(std::vector<std::string>(argv + 1, argv + argc))) {
        // A text that cannot be written (a closed or full output) fails.
        const bool written = std::fputs(answer->c_str(), stdout) >= 0;
        return written && std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::unique_ptr<platform::Backend> backend = platform::createDesktopBackend();
    if (!backend) {
        // Without a display the window cannot be created, which the program
        // takes as a normal end: one line to say why, and exit code 0.
        std::fputs("octaspin: cannot open display\n", stderr);
        return 0;
    }
    platform::setBackend(backend.get());
    const HINSTANCE instance = platform::registerModule(octaspinResources());
    // WinMain gets the model's name as the platform passes a command line.
    const std::string model = modelArgument(std::vector<std::string>(argv + 1, argv + argc));
    std::string commandLine = model.empty() ? std::string() : quoteArgument(model);
    // The window draws on while a model loads.
    appState.loading.mode = windowLoadMode();
    const int exitCode = WinMain(instance, nullptr, commandLine.data(), SW_SHOWDEFAULT);
    platform::setBackend(nullptr);
    return exitCode;
}
