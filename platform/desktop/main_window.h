// A top-level window of the desktop backend: the menu bar on top and the
// client area below.
#pragma once

#include "platform/core/backend.h"
#include "platform/desktop/client_area.h"
#include "platform/desktop/image_copy.h"
#include "platform/desktop/menu_bar_model.h"

#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include <memory>
#include <vector>

namespace platform::desktop {

class MainWindow : public Fl_Window {
  public:
    // The toolkit window at `placement`: the view's outer rectangle less the
    // window manager's frame.
    MainWindow(const TopLevelWindowView& view, const PixelRect& placement);

    ClientArea* client() { return client_; }
    int askedX() const { return askedX_; }
    int askedY() const { return askedY_; }

    // The whole bar as it is now; only the check marks are touched when the
    // layout is the one the items were built from.
    void setMenu(const std::vector<MenuPopupView>& menu);

    // Reports a changed client size to the core.
    void resize(int x, int y, int w, int h) override;

  private:
    static void onClose(Fl_Widget* widget, void*);
    static void onMenuItem(Fl_Widget* widget, void* data);
    static int itemFlags(const MenuBarEntry& entry);
    void buildMenuItems();
    void applyMenuFlags();

    WindowId id_;
    int askedX_;
    int askedY_;
    Fl_Menu_Bar* menuBar_ = nullptr;
    ClientArea* client_ = nullptr;
    int reportedWidth_ = 0;
    int reportedHeight_ = 0;
    std::vector<MenuPopupView> menuView_;
    std::vector<MenuBarEntry> entries_;
    std::vector<Fl_Menu_Item> items_;
    RgbCanvas iconPixels_;
    std::unique_ptr<Fl_RGB_Image> icon_;
};

} // namespace platform::desktop
