#include "platform/desktop/open_file_dialog.h"

#include "platform/desktop/file_transfer.h"

#include <FL/Fl_Native_File_Chooser.H>

namespace platform::desktop {

std::optional<std::string> runOpenFileDialog(const OpenFileView& request) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(request.title.empty() ? "Open" : request.title.c_str());
    const std::string filter = chooserFilter(request.filters);
    if (!filter.empty()) {
        chooser.filter(filter.c_str());
        chooser.filter_value(static_cast<int>(request.filterIndex));
    }
    if (!request.initialDir.empty()) {
        chooser.directory(request.initialDir.c_str());
    }
    // 0: a file was chosen; 1: cancelled; -1: the chooser failed.
    if (chooser.show() != 0 || chooser.filename() == nullptr || *chooser.filename() == '\0') {
        return std::nullopt;
    }
    return std::string(chooser.filename());
}

} // namespace platform::desktop
