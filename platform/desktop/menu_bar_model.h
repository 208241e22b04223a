// The menu bar as the toolkit's flat item list: every pop-up opens a
// submenu, its items follow, and a terminator closes it. Kept free of
// toolkit types so the translation can be tested on its own.
#pragma once

#include "platform/core/backend.h"

#include <string>
#include <vector>

namespace platform::desktop {

struct MenuBarEntry {
    enum class Kind { Popup, Item, EndOfPopup };
    Kind kind = Kind::Item;
    std::string label;    // toolkit label text (menuLabel)
    unsigned id = 0;      // command id of an Item
    bool divider = false; // a separator follows this item
    bool checked = false;
    bool grayed = false; // shown inactive
    int shortcut = 0;    // the toolkit's key combination of the accelerator text, 0: none
};

// The flat list for a whole bar. A separator becomes the divider flag of
// the item before it; separators with no item before them in their pop-up
// are dropped, and several in a row draw one divider.
std::vector<MenuBarEntry> flattenMenuBar(const std::vector<MenuPopupView>& menu);

// True when the two bars have the same pop-ups, items, texts and ids, so
// that only check marks and greyed items can differ between them.
bool sameMenuLayout(const std::vector<MenuPopupView>& a, const std::vector<MenuPopupView>& b);

} // namespace platform::desktop
