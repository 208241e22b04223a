// Keyboard translation: the toolkit's key symbols to the platform's
// virtual-key codes, and auto-repeat detection.
#pragma once

#include <bitset>
#include <string>

namespace platform::desktop {

// The virtual-key code of a toolkit key symbol (Fl::event_key()), or 0 for
// a key the program has no code for. Letters give their upper-case codes
// 0x41 to 0x5A whatever the shift state, digits 0x30 to 0x39.
unsigned virtualKeyFor(int toolkitKey);

// The toolkit's key combination for a menu item's accelerator text, as the
// resources write it after a tab ("Ctrl+O", "Shift+Ctrl+S"): modifiers Ctrl,
// Shift and Alt, then one letter or digit. 0 for anything else.
int toolkitShortcut(const std::string& text);

// Tells a held key's auto-repeat from a fresh press. The toolkit reports
// each repeat as another key-down; a key-up in between means a new press.
class KeyRepeatTracker {
  public:
    // A key went down; true when it was already down (an auto-repeat).
    bool press(unsigned virtualKey);
    void release(unsigned virtualKey);
    // Key-ups are lost while another window has the keyboard, so focus loss
    // forgets every held key.
    void releaseAll() { held_.reset(); }

  private:
    std::bitset<256> held_;
};

} // namespace platform::desktop
