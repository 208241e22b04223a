// Files between the desktop and the program: the chooser's filter text and
// the paths in a drop's text.
#include "platform/desktop/file_transfer.h"

#include <gtest/gtest.h>

namespace platform::desktop {
namespace {

TEST(FileTransfer, FiltersInTheChoosersForm) {
    EXPECT_EQ(chooserFilter({{"3D models (*.obj;*.ply;*.stl)", {"*.obj", "*.ply", "*.stl"}},
                             {"All\tfiles\n", {"*"}},
                             {"nothing to match", {}}}),
              "3D models (*.obj;*.ply;*.stl)\t{*.obj,*.OBJ,*.ply,*.PLY,*.stl,*.STL}\n"
              "All files \t*");
    EXPECT_EQ(chooserFilter({}), "");
}

TEST(FileTransfer, PathsOfADrop) {
    const struct {
        const char* text;
        std::vector<std::string> paths;
    } cases[] = {
        {"file:///home/me/bunny.obj", {"/home/me/bunny.obj"}},
        {"file:///tmp/a%20b%2Fc%zz.stl\r\nfile://laptop/srv/x.ply\r\n",
         {"/tmp/a b/c%zz.stl", "/srv/x.ply"}},
        {"/plain/path with%20escape.obj\n\nhttp://example.org/y.obj\nfile://nohost",
         {"/plain/path with%20escape.obj"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(droppedPaths(c.text), c.paths) << c.text;
    }
}

} // namespace
} // namespace platform::desktop
