// A message box of the desktop backend: the text, the caption as the title,
// and an OK button. The close box and Escape dismiss it too.
#pragma once

#include <FL/Fl_Double_Window.H>

#include <string>

namespace platform::desktop {

class MessageBoxWindow : public Fl_Double_Window {
  public:
    MessageBoxWindow(const std::string& text, const std::string& caption);

    bool dismissed() const { return dismissed_; }

  private:
    static constexpr int kTextSize = 12;
    static constexpr int kMargin = 14;
    static constexpr int kMinTextWidth = 180;
    static constexpr int kMaxTextWidth = 480;
    static constexpr int kButtonWidth = 80;
    static constexpr int kButtonHeight = 26;

    static void onOk(Fl_Widget*, void* data);

    bool dismissed_ = false;
};

} // namespace platform::desktop
