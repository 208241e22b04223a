#include "platform/desktop/window_layout.h"

#include "platform/win32.h"

#include <algorithm>

namespace platform::desktop {

namespace {

// The low bits of a static's or button's style are its kind, not flags.
constexpr std::uint32_t kStaticKindMask = 0x1F;
constexpr std::uint32_t kButtonKindMask = 0x0F;

} // namespace

PixelRect clientRectForOuter(int outerWidth, int outerHeight, bool hasMenu) {
    const int width = std::max(outerWidth, 0);
    const int height = std::max(outerHeight - (hasMenu ? kMenuBarHeight : 0), 0);
    return PixelRect{0, 0, width, height};
}

ControlKind controlKindOf(const ControlView& control) {
    if (control.className == "EDIT") {
        return ControlKind::Edit;
    }
    if (control.className == "STATIC") {
        return (control.style & kStaticKindMask) == SS_ICON ? ControlKind::Icon : ControlKind::Text;
    }
    if (control.className == "BUTTON") {
        switch (control.style & kButtonKindMask) {
        case BS_PUSHBUTTON:
            return ControlKind::PushButton;
        case BS_DEFPUSHBUTTON:
            return ControlKind::DefaultPushButton;
        default:
            return ControlKind::Unsupported;
        }
    }
    return ControlKind::Unsupported;
}

TextAlign textAlignOf(std::uint32_t style) {
    switch (style & kStaticKindMask) {
    case SS_CENTER:
        return TextAlign::Center;
    case SS_RIGHT:
        return TextAlign::Right;
    default:
        return TextAlign::Left;
    }
}

bool isVisible(const ControlView& control) {
    return (control.style & WS_VISIBLE) != 0;
}

bool hasSunkenEdge(const ControlView& control) {
    return (control.exStyle & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE)) != 0;
}

bool isTabStop(const ControlView& control) {
    const ControlKind kind = controlKindOf(control);
    const bool focusable = kind == ControlKind::Edit || kind == ControlKind::PushButton ||
                           kind == ControlKind::DefaultPushButton;
    return focusable && (control.style & WS_TABSTOP) != 0 && isVisible(control) &&
           (control.style & WS_DISABLED) == 0;
}

} // namespace platform::desktop
