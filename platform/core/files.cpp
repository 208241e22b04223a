// The open-file and save-file dialogs and files dropped on a window, over
// the backend.
#include "platform/core/state.h"
#include "platform/core/win32_files.h"

#include <algorithm>
#include <cstring>

using namespace platform;
using namespace platform::core;

namespace {

// What CommDlgExtendedError reports about the last file dialog.
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

// What both file dialogs show, from the request's fields.
void describe(const OPENFILENAMEA& request, OpenFileView& view) {
    view.owner = findWindow(request.hwndOwner) != nullptr ? handleOf(request.hwndOwner) : 0;
    view.title = request.lpstrTitle != nullptr ? request.lpstrTitle : "";
    view.filters = filtersOf(request.lpstrFilter);
    view.filterIndex = request.nFilterIndex > 0 ? request.nFilterIndex - 1 : 0;
    view.initialDir = request.lpstrInitialDir != nullptr ? request.lpstrInitialDir : "";
}

// Runs a file dialog modal over its owner (which takes no input until it
// closes) and hands its answer back in the request: the path (with
// `defaultExtension` after a name that has none, unless null), its name's
// and extension's offsets and the name alone. FALSE when cancelled or when
// the path does not fit.
template <typename Ask>
BOOL runFileDialog(LPOPENFILENAMEA request, WindowId owner, LPCSTR defaultExtension, Ask ask) {
    if (Window* w = findWindow(owner)) {
        ++w->disabled;
    }
    const std::optional<std::string> chosen = ask();
    if (Window* w = findWindow(owner)) {
        --w->disabled;
    }
    if (!chosen) {
        return FALSE;
    }
    std::string path = *chosen;
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if ((dot == std::string::npos || dot < name) && defaultExtension != nullptr &&
        *defaultExtension != '\0') {
        dot = path.size();
        path += '.';
        path += defaultExtension;
    }
    if (path.size() + 1 > request->nMaxFile) {
        gLastDialogError = FNERR_BUFFERTOOSMALL;
        if (request->nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xffff));
            std::memcpy(request->lpstrFile, &needed, sizeof needed);
        }
        return FALSE;
    }
    std::memcpy(request->lpstrFile, path.c_str(), path.size() + 1);
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

bool usable(LPOPENFILENAMEA request) {
    return request != nullptr && request->lpstrFile != nullptr && request->nMaxFile != 0 &&
           platform::backend() != nullptr;
}

} // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA request) {
    gLastDialogError = 0;
    if (!usable(request)) {
        return FALSE;
    }
    OpenFileView view;
    describe(*request, view);
    // The file chosen exists already: its name is kept as it is.
    return runFileDialog(request, view.owner, nullptr,
                         [&] { return platform::backend()->openFile(view); });
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA request) {
    gLastDialogError = 0;
    if (!usable(request)) {
        return FALSE;
    }
    SaveFileView view;
    describe(*request, view);
    // The suggested name: what lpstrFile holds, up to its first zero.
    view.suggestedName.assign(request->lpstrFile, strnlen(request->lpstrFile, request->nMaxFile));
    view.overwritePrompt = (request->Flags & OFN_OVERWRITEPROMPT) != 0;
    return runFileDialog(request, view.owner, request->lpstrDefExt,
                         [&] { return platform::backend()->saveFile(view); });
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
