#include "platform/web/page_views.h"

#include "platform/core/win32.h"

#include <cstdio>

namespace platform::web {

namespace {

// The low bits of a static's or button's style are its kind, not flags.
constexpr std::uint32_t kStaticKindMask = 0x1F;
constexpr std::uint32_t kButtonKindMask = 0x0F;

const char* kindOf(const ControlView& c) {
    if (c.className == "EDIT") {
        return "edit";
    }
    if (c.className == "STATIC") {
        return (c.style & kStaticKindMask) == SS_ICON ? "icon" : "text";
    }
    if (c.className == "BUTTON") {
        switch (c.style & kButtonKindMask) {
        case BS_PUSHBUTTON:
            return "button";
        case BS_DEFPUSHBUTTON:
            return "default";
        default:
            break;
        }
    }
    return "none";
}

const char* alignOf(std::uint32_t style) {
    switch (style & kStaticKindMask) {
    case SS_CENTER:
        return "center";
    case SS_RIGHT:
        return "right";
    default:
        return "left";
    }
}

const char* boolean(bool value) {
    return value ? "true" : "false";
}

} // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string menuJson(const std::vector<MenuPopupView>& menu) {
    std::string out = "[";
    for (std::size_t p = 0; p < menu.size(); ++p) {
        out += p == 0 ? "" : ",";
        out += "{\"text\":" + jsonString(menu[p].text) + ",\"items\":[";
        for (std::size_t i = 0; i < menu[p].items.size(); ++i) {
            const MenuItemView& item = menu[p].items[i];
            out += i == 0 ? "" : ",";
            out += "{\"text\":" + jsonString(item.text) + ",\"id\":" + std::to_string(item.id) +
                   ",\"separator\":" + boolean(item.separator) +
                   ",\"checked\":" + boolean(item.checked) + ",\"grayed\":" + boolean(item.grayed) +
                   "}";
        }
        out += "]}";
    }
    return out + "]";
}

std::string dialogJson(const DialogView& dialog) {
    std::string out = "{\"id\":" + std::to_string(dialog.id) +
                      ",\"title\":" + jsonString(dialog.title) +
                      ",\"width\":" + std::to_string(dialog.clientWidth) +
                      ",\"height\":" + std::to_string(dialog.clientHeight) +
                      ",\"focus\":" + std::to_string(dialog.focusIndex) + ",\"controls\":[";
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlView& c = dialog.controls[i];
        const std::string kind = kindOf(c);
        const bool visible = (c.style & WS_VISIBLE) != 0;
        const bool tabStop = (kind == "edit" || kind == "button" || kind == "default") && visible &&
                             (c.style & WS_TABSTOP) != 0 && (c.style & WS_DISABLED) == 0;
        out += i == 0 ? "" : ",";
        out += "{\"id\":" + std::to_string(c.id) + ",\"kind\":\"" + kind +
               "\",\"text\":" + jsonString(c.text) + ",\"align\":\"" + alignOf(c.style) +
               "\",\"left\":" + std::to_string(c.rect.left) +
               ",\"top\":" + std::to_string(c.rect.top) +
               ",\"width\":" + std::to_string(c.rect.width()) +
               ",\"height\":" + std::to_string(c.rect.height()) +
               ",\"tabStop\":" + boolean(tabStop) + ",\"visible\":" + boolean(visible) +
               ",\"sunken\":" + boolean((c.exStyle & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)) != 0) +
               "}";
    }
    return out + "]}";
}

} // namespace platform::web
