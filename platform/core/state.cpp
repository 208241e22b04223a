// The layer's tables: handles, the one State record behind them, and the
// lookups of windows, menus and drawing contexts by handle.
#include "platform/core/state.h"

#include <cctype>

namespace platform::core {

Handle newHandle() {
    // Starts well above the range of integer resource ids and steps by 16
    // so that values look like aligned addresses; never reused.
    static Handle next = 0x10000;
    next += 16;
    return next;
}

State& state() {
    static State instance;
    return instance;
}

Window* findWindow(Handle handle) {
    if (handle == 0) {
        return nullptr;
    }
    auto& windows = state().windows;
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : it->second.get();
}

Window* findWindow(HWND window) {
    return findWindow(handleOf(window));
}

Menu* findMenu(Handle handle) {
    auto& menus = state().menus;
    auto it = menus.find(handle);
    return it == menus.end() ? nullptr : &it->second;
}

DeviceContext* findContext(HDC dc) {
    auto& contexts = state().contexts;
    auto it = contexts.find(handleOf(dc));
    return it == contexts.end() ? nullptr : &it->second;
}

std::string upper(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

} // namespace platform::core
