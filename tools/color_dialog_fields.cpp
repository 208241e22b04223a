#include "tools/color_dialog_fields.h"

#include "app/resource.h"

#include <utility>

namespace headless {

void ColorDialogFields::add(const std::array<std::string, 3>& texts) {
    pending_.push_back(texts);
    queueScript();
}

void ColorDialogFields::queueScript() {
    backend_.queueDialogScript([this](platform::DialogDriver& dialog) {
        if (dialog.title() != kColorDialogCaption || pending_.empty()) {
            queueScript();
            dialog.pressEnter();
            return;
        }
        const std::array<std::string, 3> texts = std::move(pending_.front());
        pending_.pop_front();
        dialog.type(IDC_RED, texts[0]);
        dialog.type(IDC_GREEN, texts[1]);
        dialog.type(IDC_BLUE, texts[2]);
        dialog.pressEnter();
    });
}

} // namespace headless
