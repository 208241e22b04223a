#include "platform/desktop/file_dialogs.h"

#include "platform/desktop/file_transfer.h"

#include <FL/Fl_Native_File_Chooser.H>

namespace platform::desktop {

namespace {

// The fields both dialogs share given to `chooser`, then the chooser shown.
std::optional<std::string> showChooser(Fl_Native_File_Chooser& chooser,
                                       const OpenFileView& request) {
    const std::string filter = chooserFilter(request.filters);
    if (!filter.empty()) {
        chooser.filter(filter.c_str());
        chooser.filter_value(static_cast<int>(request.filterIndex));
    }
    if (!request.initialDir.empty()) {
        chooser.directory(request.initialDir.c_str());
    }
    // 0: a name was given; 1: cancelled; -1: the chooser failed.
    if (chooser.show() != 0 || chooser.filename() == nullptr || *chooser.filename() == '\0') {
        return std::nullopt;
    }
    return std::string(chooser.filename());
}

} // namespace

std::optional<std::string> runOpenFileDialog(const OpenFileView& request) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(request.title.empty() ? "Open" : request.title.c_str());
    return showChooser(chooser, request);
}

std::optional<std::string> runSaveFileDialog(const SaveFileView& request) {
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title(request.title.empty() ? "Save" : request.title.c_str());
    chooser.options(Fl_Native_File_Chooser::NEW_FOLDER |
                    (request.overwritePrompt ? Fl_Native_File_Chooser::SAVEAS_CONFIRM : 0));
    if (!request.suggestedName.empty()) {
        chooser.preset_file(request.suggestedName.c_str());
    }
    return showChooser(chooser, request);
}

} // namespace platform::desktop
