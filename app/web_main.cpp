// octaspin in a web page: the program on the web backend (platform/web).
// The page starts it once the module is loaded; it runs until File > Exit,
// then the page shows its exit code.
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/web/web.h"

#include <memory>

int main() {
    std::unique_ptr<platform::Backend> backend = platform::createWebBackend();
    platform::setBackend(backend.get());
    const HINSTANCE instance = platform::registerModule(octaspinResources());
    char commandLine[] = "";
    const int exitCode = WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT);
    platform::setBackend(nullptr);
    platform::web::programEnded(exitCode);
    return exitCode;
}
