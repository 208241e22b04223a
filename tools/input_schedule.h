// The script's input on its way to the program: the events due at a pass
// are posted to the window (or, for the colour dialog's fields and a
// resize, handed to the dialog scripts and the backend) before that pass
// removes its message.
#pragma once

#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "tools/color_dialog_fields.h"
#include "tools/script.h"

#include <cstddef>
#include <vector>

namespace headless {

class InputSchedule {
  public:
    // `events` sorted by frame, as a parsed script holds them; they and
    // the backend must outlive the schedule.
    InputSchedule(const std::vector<ScriptEvent>& events, platform::HeadlessBackend& backend)
        : events_(events), backend_(backend), fields_(backend) {}

    // Delivers every event due at or before `pass`.
    void deliverDue(HWND window, int pass);

    // Removes the input still waiting in the queue for the window (all the
    // schedule posts: keys, mouse and menu messages and the close box,
    // WM_CLOSE up to WM_MOUSEWHEEL) and counts it as undelivered. The window
    // filter keeps the quit request, which ends the loop, out of reach.
    void dropWaiting(HWND window);

    // Script events the program never got: never posted, dropped from the
    // queue, or field texts no colour dialog took.
    std::size_t undelivered() const {
        return (events_.size() - next_) + dropped_ + fields_.waiting();
    }

  private:
    void deliver(HWND window, const ScriptEvent& event);

    const std::vector<ScriptEvent>& events_;
    platform::HeadlessBackend& backend_;
    ColorDialogFields fields_;
    std::size_t next_ = 0;
    std::size_t dropped_ = 0;
};

} // namespace headless
