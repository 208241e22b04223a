// The menu bar and the dialogs as the page builds them: JSON texts that
// the page (platform/web/page/) turns into HTML. Texts keep the resources'
// '&' mnemonic marks; bytes are Latin-1 characters.
#pragma once

#include "platform/core/backend.h"

#include <string>
#include <vector>

namespace platform::web {

// [{"text": "&File", "items": [{"text": "&Reset", "id": 40007,
//   "separator": false, "checked": false, "grayed": false}, ...]}, ...]
std::string menuJson(const std::vector<MenuPopupView>& menu);

// {"id", "title", "width", "height", "focus" (control index or -1),
//  "controls": [{"id", "kind" ("edit", "text", "icon", "button",
//  "default", or "none"), "text", "align" ("left", "center", "right"),
//  "left", "top", "width", "height", "tabStop", "visible", "sunken"}]}
std::string dialogJson(const DialogView& dialog);

// `text` as a JSON string, quotes included.
std::string jsonString(const std::string& text);

} // namespace platform::web
