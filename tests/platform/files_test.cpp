// Opening files: the open-file dialog, files dropped on a window, Ctrl's
// control characters and the window title the program sets.
#include "platform/core/win32_files.h"
#include "platform_fixture.h"

namespace octaspin_test {
namespace {

using FilesTest = PlatformTest;

constexpr char kFilter[] = "3D models (*.obj;*.ply;*.stl)\0*.obj; *.ply;*.stl\0"
                           "All files\0*.*\0";

TEST_F(FilesTest, TheOpenFileDialogAsksTheBackendAndFillsTheRecord) {
    HWND window = openMain();
    char file[32] = "left over";
    char title[8] = {};
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = window;
    request.lpstrFilter = kFilter;
    request.nFilterIndex = 2;
    request.lpstrFile = file;
    request.nMaxFile = sizeof file;
    request.lpstrFileTitle = title;
    request.nMaxFileTitle = sizeof title;
    request.lpstrTitle = "Open a model";

    struct Answer {
        std::optional<std::string> path;
        BOOL result;
        DWORD error;
        std::string file;
        WORD offset;
        WORD extension;
        std::string title;
    };
    const std::string needed = std::string("\x21\x00", 2); // 33 bytes, little-endian
    const Answer answers[] = {
        {"/home/me/bunny.obj", TRUE, 0, "/home/me/bunny.obj", 9, 15, "bunny.o"},
        {"C:\\models\\no.ext\\cube", TRUE, 0, "C:\\models\\no.ext\\cube", 17, 21, "cube"},
        {std::nullopt, FALSE, 0, "C:\\models\\no.ext\\cube", 17, 21, "cube"},
        {std::string(32, 'x'), FALSE, FNERR_BUFFERTOOSMALL, needed, 17, 21, "cube"},
    };
    for (const Answer& answer : answers) {
        backend.queueOpenFileAnswer(answer.path);
        EXPECT_EQ(GetOpenFileNameA(&request), answer.result);
        EXPECT_EQ(CommDlgExtendedError(), answer.error);
        EXPECT_EQ(std::string(file, answer.file.size()), answer.file);
        EXPECT_EQ(request.nFileOffset, answer.offset);
        EXPECT_EQ(request.nFileExtension, answer.extension);
        EXPECT_STREQ(title, answer.title.c_str());
    }
    ASSERT_EQ(backend.openFileRequests().size(), 4u);
    const platform::OpenFileView& shown = backend.openFileRequests()[0];
    EXPECT_EQ(shown.owner, platform::WindowId(reinterpret_cast<std::uintptr_t>(window)));
    EXPECT_EQ(shown.title, "Open a model");
    EXPECT_EQ(shown.filterIndex, 1u);
    ASSERT_EQ(shown.filters.size(), 2u);
    EXPECT_EQ(shown.filters[0].description, "3D models (*.obj;*.ply;*.stl)");
    EXPECT_EQ(shown.filters[0].patterns, (std::vector<std::string>{"*.obj", "*.ply", "*.stl"}));
    EXPECT_EQ(shown.filters[1].patterns, (std::vector<std::string>{"*.*"}));
    // Nothing queued: the user cancels.
    EXPECT_FALSE(GetOpenFileNameA(&request));
}

TEST_F(FilesTest, DroppedFilesReachOnlyAWindowThatTakesThem) {
    HWND window = openMain();
    backend.dropFiles(window, {"/a/first.obj"});
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(recorder.count(WM_DROPFILES), 0);

    DragAcceptFiles(window, TRUE);
    EXPECT_TRUE(platform::input::acceptsDroppedFiles(reinterpret_cast<std::uintptr_t>(window)));
    backend.dropFiles(window, {"/a/first.obj", "/b/second one.stl"});
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    const Seen* dropped = recorder.last(WM_DROPFILES);
    ASSERT_NE(dropped, nullptr);
    HDROP drop = reinterpret_cast<HDROP>(dropped->wParam);
    EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 17u);
    char name[8];
    EXPECT_EQ(DragQueryFileA(drop, 1, name, sizeof name), 7u);
    EXPECT_STREQ(name, "/b/seco");
    EXPECT_EQ(DragQueryFileA(drop, 2, name, sizeof name), 0u);
    EXPECT_EQ(platform::liveObjects().drops, 1u);
    DragFinish(drop);
    EXPECT_EQ(platform::liveObjects().drops, 0u);
    EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 0u);

    DragAcceptFiles(window, FALSE);
    backend.dropFiles(window, {"/a/first.obj"});
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
}

TEST_F(FilesTest, CtrlWithALetterGivesItsControlCharacter) {
    HWND window = openMain();
    const auto id = reinterpret_cast<std::uintptr_t>(window);
    platform::input::keyDown(id, 'O', false, false, true);
    platform::input::keyDown(id, 'O', false, false, false);
    std::vector<WPARAM> characters;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        if (msg.message == WM_CHAR) {
            characters.push_back(msg.wParam);
        }
    }
    EXPECT_EQ(characters, (std::vector<WPARAM>{0x0F, 'o'}));
}

TEST_F(FilesTest, TheBackendHearsTheTitle) {
    HWND window = openMain();
    EXPECT_EQ(backend.title(window), "Test");
    SetWindowTextA(window, "bunny.obj - Test");
    EXPECT_EQ(backend.title(window), "bunny.obj - Test");
}

} // namespace
} // namespace octaspin_test
