// Resource modules: the programs' tables of menus, dialog templates and
// icons, registered as module handles, and their lookup by name or number.
#include "platform/core/resource_module.h"
#include "platform/core/state.h"

#include <string>
#include <vector>

namespace platform {

namespace core {

// A key under which a resource name (string or integer id) is cached.
std::string resourceKey(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        std::string key = std::to_string(LOWORD(name));
        key.insert(key.begin(), '#');
        return key;
    }
    return upper(name);
}

} // namespace core

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
