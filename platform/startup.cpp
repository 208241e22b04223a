// The layer's start-up code: what runs the program's WinMain.
#include "platform/backend.h"
#include "platform/resources.h"

namespace platform {

int runProgram(Backend* backend, const ResourceModule& module, int showCommand) {
    Backend* previous = platform::backend();
    setBackend(backend);
    HINSTANCE instance = registerModule(module);
    char commandLine[1] = {'\0'};
    int exitCode = WinMain(instance, nullptr, commandLine, showCommand);
    setBackend(previous);
    return exitCode;
}

} // namespace platform
