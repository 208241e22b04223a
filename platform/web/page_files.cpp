#include "platform/web/page_files.h"

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>

#include <new>

// clang-format off
// The size of the file held at `path`: -1 when none is, -2 when unreadable.
EM_JS(double, page_file_size, (const char* path), {
    return Module.octaspinPage.fileSize(UTF8ToString(path));
});
EM_JS(void, page_read_file, (const char* path, void* into), {
    Module.octaspinPage.readFile(UTF8ToString(path), into);
});
EM_JS(void, page_offer_download, (const char* name, const void* data, double size), {
    const bytes = HEAPU8.slice(data, data + size);
    const url = URL.createObjectURL(new Blob([bytes], {type: 'image/png'}));
    const link = document.createElement('a');
    link.href = url;
    link.download = UTF8ToString(name);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(url); }, 60000);
});
// clang-format on

namespace platform::web {

PageFileStatus readPageFile(const std::string& path, std::uint64_t maxBytes,
                            std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& size) {
    const double held = page_file_size(path.c_str());
    if (held == -1.0) {
        return PageFileStatus::Missing;
    }
    if (held < 0.0) {
        return PageFileStatus::Unreadable;
    }
    if (held > static_cast<double>(maxBytes)) {
        return PageFileStatus::TooLarge;
    }
    size = static_cast<std::size_t>(held);
    // Written whole by the page: nothing to clear first.
    bytes.reset(new (std::nothrow) std::uint8_t[size > 0 ? size : 1]);
    if (!bytes) {
        return PageFileStatus::TooLarge;
    }
    page_read_file(path.c_str(), bytes.get());
    return PageFileStatus::Read;
}

void offerDownload(const std::string& name, std::span<const std::uint8_t> bytes) {
    page_offer_download(name.c_str(), bytes.data(), static_cast<double>(bytes.size()));
}

} // namespace platform::web
