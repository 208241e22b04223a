// Texts typed into the colour dialog for the runner's "fields" events: each
// set of three texts goes to the next colour dialog that opens, in the
// order the sets came, and is confirmed with Enter; any other dialog in
// between is confirmed and the sets wait.
#pragma once

#include "platform/headless/headless.h"

#include <array>
#include <cstddef>
#include <deque>
#include <string>

namespace headless {

class ColorDialogFields {
  public:
    explicit ColorDialogFields(platform::HeadlessBackend& backend) : backend_(backend) {}

    // The red, green and blue texts for the next colour dialog.
    void add(const std::array<std::string, 3>& texts);

    // Sets that no colour dialog has taken yet.
    std::size_t waiting() const { return pending_.size(); }

  private:
    // One dialog script is queued per waiting set; whichever runs in a
    // colour dialog takes the oldest set.
    void queueScript();

    platform::HeadlessBackend& backend_;
    std::deque<std::array<std::string, 3>> pending_;
};

} // namespace headless
