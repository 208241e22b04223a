// Menus loaded from resources, their check marks and greyed items, and what
// the backend is told about them.
#include "platform/core/state.h"

using namespace platform;
using namespace platform::core;

namespace platform::core {

Handle loadMenu(const MenuResource& resource) {
    State& s = state();
    Handle bar = newHandle();
    Menu menu;
    menu.handle = bar;
    for (const MenuPopupResource& popupResource : resource.popups) {
        Handle popup = newHandle();
        Menu sub;
        sub.handle = popup;
        sub.parentMenu = bar;
        for (const MenuItemResource& item : popupResource.items) {
            MenuEntry entry;
            entry.text = item.text;
            entry.id = item.separator ? 0 : item.id;
            entry.separator = item.separator;
            sub.entries.push_back(std::move(entry));
        }
        s.menus[popup] = std::move(sub);
        MenuEntry entry;
        entry.text = popupResource.text;
        entry.popup = popup;
        menu.entries.push_back(std::move(entry));
    }
    s.menus[bar] = std::move(menu);
    return bar;
}

std::vector<MenuPopupView> menuView(Handle bar) {
    std::vector<MenuPopupView> view;
    Menu* menu = findMenu(bar);
    if (menu == nullptr) {
        return view;
    }
    for (const MenuEntry& entry : menu->entries) {
        MenuPopupView popupView;
        popupView.text = entry.text;
        if (Menu* popup = findMenu(entry.popup)) {
            for (const MenuEntry& item : popup->entries) {
                popupView.items.push_back(
                    MenuItemView{item.text, item.id, item.separator, item.checked, item.grayed});
            }
        }
        view.push_back(std::move(popupView));
    }
    return view;
}

void destroyMenu(Handle handle) {
    Menu* menu = findMenu(handle);
    if (menu == nullptr) {
        return;
    }
    std::vector<Handle> popups;
    for (const MenuEntry& entry : menu->entries) {
        if (entry.popup != 0) {
            popups.push_back(entry.popup);
        }
    }
    state().menus.erase(handle);
    for (Handle popup : popups) {
        destroyMenu(popup);
    }
}

const MenuEntry* findMenuCommand(Handle handle, UINT id) {
    Menu* menu = findMenu(handle);
    if (menu == nullptr) {
        return nullptr;
    }
    for (const MenuEntry& entry : menu->entries) {
        if (entry.popup != 0) {
            if (const MenuEntry* found = findMenuCommand(entry.popup, id)) {
                return found;
            }
        } else if (!entry.separator && entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace platform::core

namespace {

// The entry that `item` names in `menu`: by position, or by command id
// searched through the pop-ups as well.
MenuEntry* locate(Handle handle, UINT item, UINT flags, Handle* owner) {
    Menu* menu = findMenu(handle);
    if (menu == nullptr) {
        return nullptr;
    }
    if ((flags & MF_BYPOSITION) != 0) {
        if (item >= menu->entries.size()) {
            return nullptr;
        }
        *owner = handle;
        return &menu->entries[item];
    }
    for (MenuEntry& entry : menu->entries) {
        if (entry.popup != 0) {
            if (MenuEntry* found = locate(entry.popup, item, flags, owner)) {
                return found;
            }
        } else if (!entry.separator && entry.id == item) {
            *owner = handle;
            return &entry;
        }
    }
    return nullptr;
}

// The window whose menu bar holds `menu`, or 0.
Handle windowOfMenu(Handle handle) {
    Menu* menu = findMenu(handle);
    while (menu != nullptr && menu->parentMenu != 0) {
        menu = findMenu(menu->parentMenu);
    }
    return menu != nullptr ? menu->window : 0;
}

// Tells the backend of the window whose bar holds `menu` that the bar
// changed.
void notifyMenuChanged(Handle menu) {
    Handle window = windowOfMenu(menu);
    if (window != 0 && findWindow(window) != nullptr && platform::backend() != nullptr) {
        platform::backend()->menuChanged(window, menuView(findWindow(window)->menu));
    }
}

} // namespace

HMENU GetMenu(HWND window) {
    Window* w = findWindow(window);
    if (w == nullptr || findMenu(w->menu) == nullptr) {
        return nullptr;
    }
    return asHandle<HMENU>(w->menu);
}

HMENU GetSubMenu(HMENU menu, int position) {
    Menu* m = findMenu(handleOf(menu));
    if (m == nullptr || position < 0 || static_cast<std::size_t>(position) >= m->entries.size()) {
        return nullptr;
    }
    Handle popup = m->entries[static_cast<std::size_t>(position)].popup;
    return popup != 0 ? asHandle<HMENU>(popup) : nullptr;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    Handle owner = 0;
    MenuEntry* entry = locate(handleOf(menu), item, check, &owner);
    if (entry == nullptr) {
        return static_cast<DWORD>(-1); // no such item
    }
    DWORD previous = entry->checked ? MF_CHECKED : MF_UNCHECKED;
    bool checked = (check & MF_CHECKED) != 0;
    if (entry->checked == checked) {
        return previous;
    }
    entry->checked = checked;
    notifyMenuChanged(owner);
    return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    Handle owner = 0;
    MenuEntry* entry = locate(handleOf(menu), item, enable, &owner);
    if (entry == nullptr) {
        return -1; // no such item
    }
    const BOOL previous = entry->grayed ? MF_GRAYED : MF_ENABLED;
    const bool grayed = (enable & (MF_GRAYED | MF_DISABLED)) != 0;
    if (entry->grayed == grayed) {
        return previous;
    }
    entry->grayed = grayed;
    notifyMenuChanged(owner);
    return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    Handle owner = 0;
    MenuEntry* entry = locate(handleOf(menu), item, flags, &owner);
    if (entry == nullptr) {
        return static_cast<UINT>(-1);
    }
    if (entry->popup != 0) {
        // A pop-up: its item count in the high byte, MF_POPUP in the low one.
        Menu* popup = findMenu(entry->popup);
        UINT count = popup != nullptr ? static_cast<UINT>(popup->entries.size()) : 0;
        return (count << 8) | MF_POPUP;
    }
    UINT state = 0;
    if (entry->separator) {
        state |= MF_SEPARATOR;
    }
    if (entry->checked) {
        state |= MF_CHECKED;
    }
    if (entry->grayed) {
        state |= MF_GRAYED;
    }
    return state;
}

int GetMenuItemCount(HMENU menu) {
    Menu* m = findMenu(handleOf(menu));
    return m != nullptr ? static_cast<int>(m->entries.size()) : -1;
}
