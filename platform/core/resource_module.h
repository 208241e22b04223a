// Resource data: the menus, dialog templates and icons that a program
// compiles in, and the module handle through which the layer finds them by
// name (the class's menu name, LoadIconA, DialogBoxParamA's template name).
//
// A resource is named either by a string or by a 16-bit integer id given
// with MAKEINTRESOURCEA, as the platform allows both.
#pragma once

#include "platform/core/win32.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A resource name: a string, or (when `text` is empty) the integer `id`.
struct ResourceName {
    std::string text;
    WORD id = 0;

    static ResourceName named(std::string name) { return ResourceName{std::move(name), 0}; }
    static ResourceName numbered(WORD number) { return ResourceName{std::string(), number}; }

    // True when `name` (a string pointer or a MAKEINTRESOURCEA value) names this resource.
    bool matches(LPCSTR name) const;
};

// One menu item; a separator has no text and id 0.
struct MenuItemResource {
    std::string text; // with '&' before the mnemonic letter
    UINT id = 0;
    bool separator = false;
};

struct MenuPopupResource {
    std::string text;
    std::vector<MenuItemResource> items;
};

struct MenuResource {
    ResourceName name;
    std::vector<MenuPopupResource> popups;
};

// A control of a dialog template. Position and size are in dialog units.
// For an SS_ICON static, `text` is the icon's resource name.
struct DialogControlResource {
    int id = -1;
    std::string className; // "EDIT", "STATIC", "BUTTON"
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short width = 0;
    short height = 0;
};

// An extended dialog template. Controls are in template order, which is
// also the tab order.
struct DialogTemplateResource {
    ResourceName name;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string fontName;
    int pointSize = 8;
    int fontWeight = 0;
    bool italic = false;
    int charset = 1; // DEFAULT_CHARSET
    short x = 0;
    short y = 0;
    short width = 0;
    short height = 0;
    std::vector<DialogControlResource> controls;
};

// A 32 x 32 icon of 16 colours: a palette and one palette index per pixel,
// rows from the top.
struct IconResource {
    static constexpr int kSize = 32;
    ResourceName name;
    std::array<COLORREF, 16> palette{};
    std::array<std::uint8_t, kSize * kSize> pixels{};
};

// Everything one program module carries.
struct ResourceModule {
    std::vector<MenuResource> menus;
    std::vector<DialogTemplateResource> dialogs;
    std::vector<IconResource> icons;

    const MenuResource* findMenu(LPCSTR name) const;
    const DialogTemplateResource* findDialog(LPCSTR name) const;
    const IconResource* findIcon(LPCSTR name) const;
};

// Registers a module (which must outlive its use) and returns the instance
// handle that names it; WinMain receives this handle.
HINSTANCE registerModule(const ResourceModule& module);

// The module behind an instance handle, or null.
const ResourceModule* moduleOf(HINSTANCE instance);

} // namespace platform
