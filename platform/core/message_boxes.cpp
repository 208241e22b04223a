// Message boxes: modal over their owner, shown by the backend; without a
// backend the text goes to the standard error output.
#include "platform/core/state.h"

#include <cstdio>
#include <string>

using platform::core::findWindow;
using platform::core::handleOf;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::string body = text != nullptr ? text : "";
    std::string title = caption != nullptr ? caption : "Error";
    platform::Backend* backend = platform::backend();
    if (backend == nullptr) {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
        return IDOK;
    }
    platform::core::Handle ownerHandle = findWindow(owner) != nullptr ? handleOf(owner) : 0;
    // The box is modal: its owner takes no input until it is dismissed.
    if (platform::core::Window* w = findWindow(ownerHandle)) {
        ++w->disabled;
    }
    backend->messageBox(ownerHandle, body, title, type);
    if (platform::core::Window* w = findWindow(ownerHandle)) {
        --w->disabled;
    }
    return IDOK;
}
