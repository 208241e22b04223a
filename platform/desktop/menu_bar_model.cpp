#include "platform/desktop/menu_bar_model.h"

#include "platform/desktop/key_codes.h"
#include "platform/desktop/labels.h"

namespace platform::desktop {

std::vector<MenuBarEntry> flattenMenuBar(const std::vector<MenuPopupView>& menu) {
    std::vector<MenuBarEntry> entries;
    for (const MenuPopupView& popup : menu) {
        MenuBarEntry head;
        head.kind = MenuBarEntry::Kind::Popup;
        head.label = menuLabel(popup.text);
        entries.push_back(head);

        const std::size_t firstItem = entries.size();
        for (const MenuItemView& item : popup.items) {
            if (item.separator) {
                if (entries.size() > firstItem) {
                    entries.back().divider = true;
                }
                continue;
            }
            MenuBarEntry entry;
            entry.kind = MenuBarEntry::Kind::Item;
            entry.label = menuLabel(item.text);
            const std::size_t tab = item.text.find('\t');
            entry.shortcut =
                tab == std::string::npos ? 0 : toolkitShortcut(item.text.substr(tab + 1));
            entry.id = item.id;
            entry.checked = item.checked;
            entry.grayed = item.grayed;
            entries.push_back(entry);
        }

        MenuBarEntry tail;
        tail.kind = MenuBarEntry::Kind::EndOfPopup;
        entries.push_back(tail);
    }
    return entries;
}

bool sameMenuLayout(const std::vector<MenuPopupView>& a, const std::vector<MenuPopupView>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t p = 0; p < a.size(); ++p) {
        if (a[p].text != b[p].text || a[p].items.size() != b[p].items.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a[p].items.size(); ++i) {
            const MenuItemView& x = a[p].items[i];
            const MenuItemView& y = b[p].items[i];
            if (x.text != y.text || x.id != y.id || x.separator != y.separator) {
                return false;
            }
        }
    }
    return true;
}

} // namespace platform::desktop
