#include "platform/desktop/labels.h"

namespace platform::desktop {

std::string plainLabel(const std::string& text) {
    std::string label;
    label.reserve(text.size());
    for (char c : text) {
        label += c;
        if (c == '@') {
            label += '@';
        }
    }
    return label;
}

std::string menuLabel(const std::string& text) {
    return plainLabel(text.substr(0, text.find('\t')));
}

} // namespace platform::desktop
