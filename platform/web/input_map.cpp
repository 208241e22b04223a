#include "platform/web/input_map.h"

#include "platform/core/win32.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace platform::web {

namespace {

struct NamedKey {
    std::string_view code;
    unsigned virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {"Backspace", VK_BACK},
    {"Tab", VK_TAB},
    {"Enter", VK_RETURN},
    {"NumpadEnter", VK_RETURN},
    {"Escape", VK_ESCAPE},
    {"Space", VK_SPACE},
    {"PageUp", VK_PRIOR},
    {"PageDown", VK_NEXT},
    {"End", VK_END},
    {"Home", VK_HOME},
    {"ArrowLeft", VK_LEFT},
    {"ArrowUp", VK_UP},
    {"ArrowRight", VK_RIGHT},
    {"ArrowDown", VK_DOWN},
    {"Delete", VK_DELETE},
    {"ShiftLeft", VK_SHIFT},
    {"ShiftRight", VK_SHIFT},
    {"ControlLeft", VK_CONTROL},
    {"ControlRight", VK_CONTROL},
    {"AltLeft", VK_MENU},
    {"AltRight", VK_MENU},
};

constexpr int kFunctionKeyCount = 24; // F1 to F24, consecutive from VK_F1
constexpr int kMaxCoordinate = 32767; // a mouse message's coordinates are 16-bit

// The number after `prefix` in `code` (1 to 2 digits), or -1.
int numberAfter(std::string_view code, std::string_view prefix) {
    if (code.size() <= prefix.size() || code.size() > prefix.size() + 2 ||
        code.substr(0, prefix.size()) != prefix) {
        return -1;
    }
    int n = 0;
    for (char c : code.substr(prefix.size())) {
        if (c < '0' || c > '9') {
            return -1;
        }
        n = n * 10 + (c - '0');
    }
    return code[prefix.size()] == '0' && code.size() > prefix.size() + 1 ? -1 : n;
}

int toClient(double offset, double cssSize, int size) {
    if (std::isnan(offset)) {
        return 0;
    }
    const double scale = cssSize > 0.0 && size > 0 ? size / cssSize : 1.0;
    const double pixel = std::floor(offset * scale);
    return static_cast<int>(std::clamp(pixel, -static_cast<double>(kMaxCoordinate),
                                       static_cast<double>(kMaxCoordinate)));
}

} // namespace

unsigned virtualKeyForCode(std::string_view code) {
    if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') {
        return static_cast<unsigned>(code[3]);
    }
    if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9') {
        return static_cast<unsigned>(code[5]);
    }
    if (const int f = numberAfter(code, "F"); f >= 1 && f <= kFunctionKeyCount) {
        return static_cast<unsigned>(VK_F1 + f - 1);
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.code == code) {
            return key.virtualKey;
        }
    }
    return 0;
}

std::optional<input::MouseButton> mouseButtonFor(int button) {
    switch (button) {
    case 0:
        return input::MouseButton::Left;
    case 1:
        return input::MouseButton::Middle;
    case 2:
        return input::MouseButton::Right;
    default:
        return std::nullopt;
    }
}

unsigned mouseKeysFor(int buttons, bool shift, bool ctrl) {
    unsigned keys = 0;
    keys |= (buttons & 1) != 0 ? input::kLeftButton : 0;
    keys |= (buttons & 2) != 0 ? input::kRightButton : 0;
    keys |= (buttons & 4) != 0 ? input::kMiddleButton : 0;
    keys |= shift ? input::kShiftKey : 0;
    keys |= ctrl ? input::kControlKey : 0;
    return keys;
}

int wheelDeltaFor(double deltaY, int deltaMode) {
    // Platform units for one unit of each mode.
    constexpr double kPerUnit[] = {120.0 / 100.0, 120.0 / 3.0, 120.0};
    if (deltaMode < 0 || deltaMode > 2 || !(std::abs(deltaY) < 1e9)) {
        return 0;
    }
    const double delta = std::round(-deltaY * kPerUnit[deltaMode]);
    return static_cast<int>(std::clamp(delta, -32768.0, 32767.0));
}

ClientPoint clientPointFor(double offsetX, double offsetY, double cssWidth, double cssHeight,
                           int width, int height) {
    return ClientPoint{toClient(offsetX, cssWidth, width), toClient(offsetY, cssHeight, height)};
}

std::string acceptForPatterns(const std::vector<std::string>& patterns) {
    std::string accept;
    for (const std::string& pattern : patterns) {
        const std::string_view extension = std::string_view(pattern).substr(1);
        const bool plain = pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0 &&
                           extension.find_first_of("*?,;. \t/\\", 1) == std::string_view::npos;
        if (!plain) {
            return {};
        }
        if (!accept.empty()) {
            accept += ',';
        }
        accept += extension;
    }
    return accept;
}

} // namespace platform::web
