#include "platform/desktop/key_codes.h"

#include "platform/core/win32.h"

#include <FL/Enumerations.H>

#include <utility>

namespace platform::desktop {

namespace {

struct KeyPair {
    int toolkit;
    unsigned virtualKey;
};

constexpr KeyPair kNamedKeys[] = {
    {FL_BackSpace, VK_BACK},    {FL_Tab, VK_TAB},        {FL_Enter, VK_RETURN},
    {FL_KP_Enter, VK_RETURN},   {FL_Escape, VK_ESCAPE},  {' ', VK_SPACE},
    {FL_Page_Up, VK_PRIOR},     {FL_Page_Down, VK_NEXT}, {FL_End, VK_END},
    {FL_Home, VK_HOME},         {FL_Left, VK_LEFT},      {FL_Up, VK_UP},
    {FL_Right, VK_RIGHT},       {FL_Down, VK_DOWN},      {FL_Delete, VK_DELETE},
    {FL_Shift_L, VK_SHIFT},     {FL_Shift_R, VK_SHIFT},  {FL_Control_L, VK_CONTROL},
    {FL_Control_R, VK_CONTROL}, {FL_Alt_L, VK_MENU},     {FL_Alt_R, VK_MENU},
};

// Function keys F1 to F24 have consecutive codes from VK_F1 on.
constexpr int kFunctionKeyCount = 24;

} // namespace

unsigned virtualKeyFor(int toolkitKey) {
    if (toolkitKey >= 'a' && toolkitKey <= 'z') {
        return static_cast<unsigned>(toolkitKey - 'a' + 'A');
    }
    if ((toolkitKey >= 'A' && toolkitKey <= 'Z') || (toolkitKey >= '0' && toolkitKey <= '9')) {
        return static_cast<unsigned>(toolkitKey);
    }
    if (toolkitKey > FL_F && toolkitKey <= FL_F + kFunctionKeyCount) {
        return static_cast<unsigned>(VK_F1 + (toolkitKey - FL_F - 1));
    }
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.toolkit == toolkitKey) {
            return pair.virtualKey;
        }
    }
    return 0;
}

int toolkitShortcut(const std::string& text) {
    constexpr std::pair<const char*, int> kModifiers[] = {
        {"Ctrl+", FL_CTRL}, {"Shift+", FL_SHIFT}, {"Alt+", FL_ALT}};
    int modifiers = 0;
    std::size_t at = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [name, bit] : kModifiers) {
            const std::string prefix = name;
            if (text.compare(at, prefix.size(), prefix) == 0) {
                modifiers |= bit;
                at += prefix.size();
                found = true;
            }
        }
    }
    if (modifiers == 0 || text.size() != at + 1) {
        return 0;
    }
    const char key = text[at];
    if (key >= 'A' && key <= 'Z') {
        return modifiers | (key - 'A' + 'a');
    }
    if ((key >= 'a' && key <= 'z') || (key >= '0' && key <= '9')) {
        return modifiers | key;
    }
    return 0;
}

bool KeyRepeatTracker::press(unsigned virtualKey) {
    if (virtualKey >= held_.size()) {
        return false;
    }
    const bool repeat = held_.test(virtualKey);
    held_.set(virtualKey);
    return repeat;
}

void KeyRepeatTracker::release(unsigned virtualKey) {
    if (virtualKey < held_.size()) {
        held_.reset(virtualKey);
    }
}

} // namespace platform::desktop
