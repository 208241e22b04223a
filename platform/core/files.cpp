// The open-file dialog and files dropped on a window, over the backend.
#include "platform/core/state.h"
#include "platform/core/win32_files.h"

#include <algorithm>
#include <cstring>

using namespace platform;
using namespace platform::core;

namespace {

// What CommDlgExtendedError reports about the last GetOpenFileNameA.
DWORD gLastDialogError = 0;

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "Description\0*.a;*.b\0...\0\0" as the backend's filters.
std::vector<FileFilterView> filtersOf(LPCSTR filter) {
    std::vector<FileFilterView> filters;
    if (filter == nullptr) {
        return filters;
    }
    for (const char* p = filter; *p != '\0';) {
        FileFilterView view;
        view.description = p;
        p += view.description.size() + 1;
        if (*p == '\0') {
            break; // a description without patterns ends the list
        }
        const std::string patterns = p;
        p += patterns.size() + 1;
        for (std::size_t start = 0; start <= patterns.size();) {
            const std::size_t end = std::min(patterns.find(';', start), patterns.size());
            const std::string pattern = trimmed(patterns.substr(start, end - start));
            if (!pattern.empty()) {
                view.patterns.push_back(pattern);
            }
            start = end + 1;
        }
        filters.push_back(std::move(view));
    }
    return filters;
}

bool takesDrops(WindowId window) {
    const Window* w = findWindow(window);
    return w != nullptr && !w->destroying && w->disabled == 0 && w->acceptsFiles;
}

const std::vector<std::string>* dropNamed(HDROP drop) {
    const auto& drops = state().drops;
    const auto it = drops.find(handleOf(drop));
    return it == drops.end() ? nullptr : &it->second;
}

} // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA request) {
    gLastDialogError = 0;
    platform::Backend* backend = platform::backend();
    if (request == nullptr || request->lpstrFile == nullptr || request->nMaxFile == 0 ||
        backend == nullptr) {
        return FALSE;
    }
    OpenFileView view;
    view.owner = findWindow(request->hwndOwner) != nullptr ? handleOf(request->hwndOwner) : 0;
    view.title = request->lpstrTitle != nullptr ? request->lpstrTitle : "";
    view.filters = filtersOf(request->lpstrFilter);
    view.filterIndex = request->nFilterIndex > 0 ? request->nFilterIndex - 1 : 0;
    view.initialDir = request->lpstrInitialDir != nullptr ? request->lpstrInitialDir : "";

    // The dialog is modal: its owner takes no input until it closes.
    if (Window* w = findWindow(view.owner)) {
        ++w->disabled;
    }
    const std::optional<std::string> chosen = backend->openFile(view);
    if (Window* w = findWindow(view.owner)) {
        --w->disabled;
    }
    if (!chosen) {
        return FALSE;
    }
    const std::string& path = *chosen;
    if (path.size() + 1 > request->nMaxFile) {
        gLastDialogError = FNERR_BUFFERTOOSMALL;
        if (request->nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xffff));
            std::memcpy(request->lpstrFile, &needed, sizeof needed);
        }
        return FALSE;
    }
    std::memcpy(request->lpstrFile, path.c_str(), path.size() + 1);
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    const std::size_t extension = dot == std::string::npos || dot < name ? path.size() : dot + 1;
    request->nFileOffset = static_cast<WORD>(std::min<std::size_t>(name, 0xffff));
    request->nFileExtension = static_cast<WORD>(std::min<std::size_t>(extension, 0xffff));
    if (request->lpstrFileTitle != nullptr && request->nMaxFileTitle > 0) {
        const std::size_t count =
            std::min<std::size_t>(path.size() - name, request->nMaxFileTitle - 1);
        std::memcpy(request->lpstrFileTitle, path.c_str() + name, count);
        request->lpstrFileTitle[count] = '\0';
    }
    return TRUE;
}

DWORD CommDlgExtendedError() {
    return gLastDialogError;
}

void DragAcceptFiles(HWND window, BOOL accept) {
    if (Window* w = findWindow(window)) {
        w->acceptsFiles = accept != FALSE;
    }
}

UINT DragQueryFileA(HDROP drop, UINT file, LPSTR buffer, UINT size) {
    const std::vector<std::string>* paths = dropNamed(drop);
    if (paths == nullptr) {
        return 0;
    }
    if (file == 0xFFFFFFFF) {
        return static_cast<UINT>(paths->size());
    }
    if (file >= paths->size()) {
        return 0;
    }
    const std::string& path = (*paths)[file];
    if (buffer == nullptr) {
        return static_cast<UINT>(path.size());
    }
    if (size == 0) {
        return 0;
    }
    const std::size_t count = std::min<std::size_t>(path.size(), size - 1);
    std::memcpy(buffer, path.data(), count);
    buffer[count] = '\0';
    return static_cast<UINT>(count);
}

void DragFinish(HDROP drop) {
    state().drops.erase(handleOf(drop));
}

namespace platform::input {

void filesDropped(WindowId window, const std::vector<std::string>& paths) {
    if (!takesDrops(window) || paths.empty()) {
        return;
    }
    const Handle drop = newHandle();
    state().drops[drop] = paths;
    postMessage(window, WM_DROPFILES, static_cast<WPARAM>(drop), 0);
}

bool acceptsDroppedFiles(WindowId window) {
    return takesDrops(window);
}

} // namespace platform::input
