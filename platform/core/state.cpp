// The layer's tables, the backend seam, resource modules, the clock and
// message boxes.
#include "platform/core/state.h"
#include "platform/core/failure_points.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {
Backend* gBackend = nullptr;
FailureInjector* gFailureInjector = nullptr;
} // namespace

void setBackend(Backend* backend) {
    gBackend = backend;
}
Backend* backend() {
    return gBackend;
}

void setFailureInjector(FailureInjector* injector) {
    gFailureInjector = injector;
}
bool failsOnCue(FailurePoint point) {
    return gFailureInjector != nullptr && gFailureInjector->shouldFail(point);
}

namespace core {

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

// A key under which a resource name (string or integer id) is cached.
std::string resourceKey(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        std::string key = std::to_string(LOWORD(name));
        key.insert(key.begin(), '#');
        return key;
    }
    return upper(name);
}

DWORD now() {
    State& s = state();
    if (s.clock) {
        return s.clock();
    }
    // Milliseconds of the monotonic clock, cut to 32 bits: the count wraps
    // after about 49.7 days, as the platform's does.
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<DWORD>(static_cast<std::uint64_t>(ms));
}

} // namespace core

// ---------------------------------------------------------------------------
// Resources.

namespace {

// "#123" names the integer id 123, as the platform accepts.
bool parseNumberName(const char* name, WORD* id) {
    if (name[0] != '#' || name[1] == '\0') {
        return false;
    }
    unsigned value = 0;
    for (const char* p = name + 1; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || value > 0xffff) {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(*p - '0');
    }
    if (value > 0xffff) {
        return false;
    }
    *id = static_cast<WORD>(value);
    return true;
}

} // namespace

bool ResourceName::matches(LPCSTR name) const {
    if (name == nullptr) {
        return false;
    }
    if (IS_INTRESOURCE(name)) {
        return text.empty() && id == LOWORD(name);
    }
    WORD number = 0;
    if (parseNumberName(name, &number)) {
        return text.empty() && id == number;
    }
    // Resource names compare without regard to case.
    return !text.empty() && core::upper(text) == core::upper(name);
}

template <typename T> static const T* findByName(const std::vector<T>& list, LPCSTR name) {
    for (const T& item : list) {
        if (item.name.matches(name)) {
            return &item;
        }
    }
    return nullptr;
}

const MenuResource* ResourceModule::findMenu(LPCSTR name) const {
    return findByName(menus, name);
}
const DialogTemplateResource* ResourceModule::findDialog(LPCSTR name) const {
    return findByName(dialogs, name);
}
const IconResource* ResourceModule::findIcon(LPCSTR name) const {
    return findByName(icons, name);
}

HINSTANCE registerModule(const ResourceModule& module) {
    auto& modules = core::state().modules;
    for (const auto& [handle, known] : modules) {
        if (known == &module) {
            return core::asHandle<HINSTANCE>(handle);
        }
    }
    core::Handle handle = core::newHandle();
    modules[handle] = &module;
    return core::asHandle<HINSTANCE>(handle);
}

const ResourceModule* moduleOf(HINSTANCE instance) {
    auto& modules = core::state().modules;
    auto it = modules.find(core::handleOf(instance));
    return it == modules.end() ? nullptr : it->second;
}

} // namespace platform

using platform::core::findWindow;
using platform::core::handleOf;

// ---------------------------------------------------------------------------
// Message boxes and the clock.

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

DWORD timeGetTime() {
    return platform::core::now();
}
