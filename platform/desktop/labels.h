// Label text for the toolkit's widgets.
//
// The toolkit draws a '@' that starts or ends a label as a symbol and "@@"
// as one '@', so every '@' is doubled. A '&' marks the mnemonic letter in
// both the resources and the toolkit (and "&&" is a literal '&' in both),
// so it passes through; whether it underlines is up to the widget.
#pragma once

#include <string>

namespace platform::desktop {

// A label that shows `text` as it stands.
std::string plainLabel(const std::string& text);

// A menu item's label: as plainLabel, but a tab starts the accelerator
// column, which the toolkit draws from the item's shortcut (see
// toolkitShortcut), so it and what follows go.
std::string menuLabel(const std::string& text);

} // namespace platform::desktop
