// octaspin in a web page: the program on the web backend (platform/web).
// The page starts it once the module is loaded; it runs until File > Exit,
// then the page shows its exit code. Models load a step a frame-loop pass
// from the bytes the page holds (platform/web/page_files.h): the file
// picked or dropped, and the materials files picked or dropped with it.
#include "app/app_state.h"
#include "app/model_loading.h"
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/web/page_files.h"
#include "platform/web/web.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

using platform::web::PageFileStatus;

// A file beside the model is one of the same choice or drop, held in the
// same folder of the page's.
model::SiblingReader pageSiblings(const std::string& modelPath) {
    const std::string folder = modelPath.substr(0, modelPath.find_last_of('/') + 1);
    return [folder](const std::string& relativePath, std::uint64_t maxBytes,
                    std::vector<std::uint8_t>& bytes) {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t size = 0;
        switch (platform::web::readPageFile(folder + relativePath, maxBytes, data, size)) {
        case PageFileStatus::Read:
            bytes.assign(data.get(), data.get() + size);
            return model::SiblingStatus::Read;
        case PageFileStatus::Missing:
            return model::SiblingStatus::Missing;
        case PageFileStatus::Unreadable:
        case PageFileStatus::TooLarge:
            break;
        }
        return model::SiblingStatus::Unreadable;
    };
}

// The bytes of the page's file at `path`; the page holds every file the
// program is given, so a path it does not hold is a file that is gone.
std::optional<ModelBytes> pageModelBytes(const std::string& path) {
    ModelBytes bytes;
    const std::uint64_t limit = appState.loading.options.memoryLimit;
    switch (platform::web::readPageFile(path, limit, bytes.data, bytes.size)) {
    case PageFileStatus::Read:
        bytes.readSibling = pageSiblings(path);
        break;
    case PageFileStatus::Missing:
        bytes.failure = "cannot open: No such file or directory";
        break;
    case PageFileStatus::Unreadable:
        bytes.failure = "cannot read the file";
        break;
    case PageFileStatus::TooLarge:
        bytes.failure = model::tooLargeReason(model::MemoryBudget(limit));
        break;
    }
    return bytes;
}

} // namespace

int main() {
    std::unique_ptr<platform::Backend> backend = platform::createWebBackend();
    platform::setBackend(backend.get());
    const HINSTANCE instance = platform::registerModule(octaspinResources());
    appState.loading.mode = windowLoadMode();
    appState.loading.fileSource = pageModelBytes;
    appState.pictureSink = [](const std::string& path, std::span<const std::uint8_t> png,
                              std::string&) {
        platform::web::offerDownload(model::baseName(path), png);
        return true;
    };
    char commandLine[] = "";
    const int exitCode = WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT);
    platform::setBackend(nullptr);
    platform::web::programEnded(exitCode);
    return exitCode;
}
