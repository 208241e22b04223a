#include "platform/desktop/main_window.h"

#include "platform/desktop/fltk_support.h"
#include "platform/desktop/window_layout.h"

#include <FL/Fl.H>

#include <cstdint>

namespace platform::desktop {

MainWindow::MainWindow(const TopLevelWindowView& view, const PixelRect& placement)
    : Fl_Window(placement.left, placement.top, placement.width(), placement.height()), id_(view.id),
      askedX_(placement.left), askedY_(placement.top) {
    copy_label(view.title.c_str());
    const int menuHeight = view.menu.empty() ? 0 : kMenuBarHeight;
    begin();
    if (menuHeight > 0) {
        menuBar_ = new Fl_Menu_Bar(0, 0, w(), menuHeight);
    }
    const PixelRect client = clientRectForWindow(w(), h(), menuHeight > 0);
    client_ = new ClientArea(0, menuHeight, client.width(), client.height(), id_);
    end();
    resizable(client_);
    size_range(kMinWindowWidth, kMinWindowHeight);
    reportedWidth_ = client_->w();
    reportedHeight_ = client_->h();
    callback(onClose);
    if (menuBar_ != nullptr) {
        setMenu(view.menu);
    }
    icon_ = iconImage(view.icon, iconPixels_);
    if (icon_) {
        icon(icon_.get());
    }
}

void MainWindow::setMenu(const std::vector<MenuPopupView>& menu) {
    if (menuBar_ == nullptr) {
        return;
    }
    const bool sameLayout = !items_.empty() && sameMenuLayout(menu, menuView_);
    menuView_ = menu;
    entries_ = flattenMenuBar(menu);
    if (!sameLayout) {
        buildMenuItems();
        menuBar_->menu(items_.data());
    } else {
        applyMenuFlags();
    }
    menuBar_->redraw();
}

void MainWindow::resize(int x, int y, int w, int h) {
    Fl_Window::resize(x, y, w, h);
    if (client_ != nullptr && (client_->w() != reportedWidth_ || client_->h() != reportedHeight_)) {
        reportedWidth_ = client_->w();
        reportedHeight_ = client_->h();
        input::clientResized(id_, reportedWidth_, reportedHeight_);
    }
}

// The close box asks; Escape (which also reaches a window's callback) does
// nothing to the window itself.
void MainWindow::onClose(Fl_Widget* widget, void*) {
    if (Fl::event() == FL_CLOSE) {
        input::closeRequested(static_cast<MainWindow*>(widget)->id_);
    }
}

void MainWindow::onMenuItem(Fl_Widget* widget, void* data) {
    auto* window = static_cast<MainWindow*>(widget->window());
    const auto index = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(data));
    // The toolkit flips a toggle item's mark when it is chosen; the marks
    // are the program's to set, so they are put back first.
    window->applyMenuFlags();
    input::menuCommand(window->id_, window->entries_[index].id);
}

int MainWindow::itemFlags(const MenuBarEntry& entry) {
    int flags = 0;
    if (entry.divider) {
        flags |= FL_MENU_DIVIDER;
    }
    if (entry.checked) {
        flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
    }
    if (entry.grayed) {
        flags |= FL_MENU_INACTIVE;
    }
    return flags;
}

void MainWindow::buildMenuItems() {
    items_.assign(entries_.size() + 1, Fl_Menu_Item{});
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const MenuBarEntry& entry = entries_[i];
        Fl_Menu_Item& item = items_[i];
        switch (entry.kind) {
        case MenuBarEntry::Kind::Popup:
            item.text = entry.label.c_str();
            item.flags = FL_SUBMENU;
            break;
        case MenuBarEntry::Kind::Item:
            item.text = entry.label.c_str();
            item.callback_ = onMenuItem;
            item.user_data_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i));
            item.flags = itemFlags(entry);
            item.shortcut_ = entry.shortcut;
            break;
        case MenuBarEntry::Kind::EndOfPopup:
            break; // all zero: closes the submenu
        }
    }
}

// Same layout as the items were built from: only the flags change. The item
// texts keep pointing into the previous entries, so those are re-pointed
// too.
void MainWindow::applyMenuFlags() {
    for (std::size_t i = 0; i < entries_.size() && i < items_.size(); ++i) {
        const MenuBarEntry& entry = entries_[i];
        if (entry.kind == MenuBarEntry::Kind::Item) {
            items_[i].text = entry.label.c_str();
            items_[i].flags = itemFlags(entry);
        } else if (entry.kind == MenuBarEntry::Kind::Popup) {
            items_[i].text = entry.label.c_str();
        }
    }
}

} // namespace platform::desktop
