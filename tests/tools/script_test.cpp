// The runner's script language: what each line means, and how a
// malformed line is reported.

#include "tools/script.h"

#include "platform/core/win32.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace headless {
namespace {

ParsedScript parse(const std::string& text) {
    std::istringstream in(text);
    return parseScript(in, "input.txt");
}

struct LineCase {
    const char* line;
    int frame;
    EventKind kind;
    int a;
    int b;
    unsigned keys = 0;
};

class ScriptLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScriptLine, ParsesToItsEvent) {
    const LineCase& c = GetParam();
    const ParsedScript script = parse(c.line);
    ASSERT_TRUE(script.ok()) << script.error;
    ASSERT_EQ(script.events.size(), 1u);
    const ScriptEvent& e = script.events[0];
    EXPECT_EQ(e.frame, c.frame);
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_EQ(e.a, c.a);
    EXPECT_EQ(e.b, c.b);
    EXPECT_EQ(e.keys, c.keys);
    EXPECT_EQ(e.line, 1);
}

INSTANTIATE_TEST_SUITE_P(
    , ScriptLine,
    ::testing::Values(LineCase{"0 key LEFT", 0, EventKind::Key, VK_LEFT, 0},
                      LineCase{"3 key RIGHT", 3, EventKind::Key, VK_RIGHT, 0},
                      LineCase{"3 key up", 3, EventKind::Key, VK_UP, 0},
                      LineCase{"3 key DOWN", 3, EventKind::Key, VK_DOWN, 0},
                      LineCase{"1 key A", 1, EventKind::Key, 'A', 0},
                      LineCase{"1 key z", 1, EventKind::Key, 'Z', 0},
                      LineCase{"1 key X", 1, EventKind::Key, 'X', 0},
                      LineCase{"1 key C", 1, EventKind::Key, 'C', 0},
                      LineCase{"1 key 32", 1, EventKind::Key, 32, 0},
                      LineCase{"1 key 0x26", 1, EventKind::Key, VK_UP, 0},
                      LineCase{"7 press 316 160", 7, EventKind::Press, 316, 160, MK_LBUTTON},
                      LineCase{"8 drag -20 5", 8, EventKind::Drag, -20, 5, MK_LBUTTON},
                      LineCase{"9 move 0 -32768", 9, EventKind::Move, 0, -32768},
                      LineCase{"10 release 32767 1", 10, EventKind::Release, 32767, 1, MK_LBUTTON},
                      LineCase{"7 press 1 2 left", 7, EventKind::Press, 1, 2, MK_LBUTTON},
                      LineCase{"7 press 1 2 middle", 7, EventKind::Press, 1, 2, MK_MBUTTON},
                      LineCase{"8 drag 3 4 right", 8, EventKind::Drag, 3, 4, MK_RBUTTON},
                      LineCase{"10 release 5 6 middle", 10, EventKind::Release, 5, 6, MK_MBUTTON},
                      LineCase{"3 wheel 120", 3, EventKind::Wheel, 120, 0},
                      LineCase{"3 wheel -32768 shift", 3, EventKind::Wheel, -32768, 0, MK_SHIFT},
                      LineCase{"3 wheel 0x1E", 3, EventKind::Wheel, 30, 0},
                      LineCase{"2 menu 40008", 2, EventKind::Menu, 40008, 0},
                      LineCase{"5 resize 400 300", 5, EventKind::Resize, 400, 300},
                      LineCase{"  12   close   ", 12, EventKind::Close, 0, 0},
                      LineCase{"4 close # the close box", 4, EventKind::Close, 0, 0},
                      LineCase{"2147483647 close", 2147483647, EventKind::Close, 0, 0}));

TEST(Script, FieldsKeepTheirTextsAndAnEmptyMarker) {
    const ParsedScript script = parse("6 fields 1000 \"\" abc\n");
    ASSERT_TRUE(script.ok()) << script.error;
    ASSERT_EQ(script.events.size(), 1u);
    EXPECT_EQ(script.events[0].kind, EventKind::Fields);
    EXPECT_EQ(script.events[0].fields[0], "1000");
    EXPECT_EQ(script.events[0].fields[1], "");
    EXPECT_EQ(script.events[0].fields[2], "abc");
}

TEST(Script, CommentsAndBlankLinesAreSkippedAndEventsSortByFrame) {
    const ParsedScript script = parse("# a drag and a key\n"
                                      "\n"
                                      "5 key A\n"
                                      "   # indented comment\n"
                                      "2 press 10 20\n"
                                      "5 key Z   # same frame, later line\n"
                                      "2 release 10 20\n");
    ASSERT_TRUE(script.ok()) << script.error;
    ASSERT_EQ(script.events.size(), 4u);
    const int lines[] = {5, 7, 3, 6};
    const int frames[] = {2, 2, 5, 5};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(script.events[i].line, lines[i]) << i;
        EXPECT_EQ(script.events[i].frame, frames[i]) << i;
    }
    EXPECT_EQ(script.events[2].a, 'A');
    EXPECT_EQ(script.events[3].a, 'Z');
}

struct ErrorCase {
    std::string text;
    std::string expected; // the whole message
};

// n lines of `line`.
std::string repeated(const std::string& line, std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text += line;
    }
    return text;
}

class ScriptError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ScriptError, NamesTheFileTheLineAndTheReason) {
    const ParsedScript script = parse(GetParam().text);
    EXPECT_FALSE(script.ok());
    EXPECT_EQ(script.error, GetParam().expected);
    EXPECT_TRUE(script.events.empty());
}

INSTANTIATE_TEST_SUITE_P(
    , ScriptError,
    ::testing::Values(
        ErrorCase{"key LEFT", "input.txt:1: expected a frame number, found 'key'"},
        ErrorCase{"0 key LEFT\n-1 close", "input.txt:2: frame -1 is out of range 0..2147483647"},
        ErrorCase{"2147483648 close",
                  "input.txt:1: frame 2147483648 is out of range 0..2147483647"},
        ErrorCase{"99999999999999999999 close",
                  "input.txt:1: frame 99999999999999999999 is out of range 0..2147483647"},
        ErrorCase{"0 move 99999999999999999999 0",
                  "input.txt:1: move: coordinates must lie in -32768..32767"},
        // Words are quoted with at most 32 bytes, control bytes escaped.
        ErrorCase{std::string(4000, 'q') + " close",
                  std::string("input.txt:1: expected a frame number, found '") +
                      std::string(32, 'q') + "...'"},
        ErrorCase{"0 \x1b[2J\x01", "input.txt:1: unknown event '\\x1b[2J\\x01'"},
        ErrorCase{std::string("0 key A\n1 \0\xff", 12), "input.txt:2: unknown event '\\x00\\xff'"},
        // The limit of a line's length (the limits of the event count and
        // the size are in Script.LimitsRefuseWhatExceedsThem).
        ErrorCase{std::string("0 close\n0 key ") + std::string(4091, 'A'),
                  "input.txt:2: line longer than 4096 bytes"},
        ErrorCase{"1.5 close", "input.txt:1: expected a frame number, found '1.5'"},
        ErrorCase{"\n\n3", "input.txt:3: missing event after the frame number"},
        ErrorCase{"0 jump", "input.txt:1: unknown event 'jump'"},
        ErrorCase{"0 KEY A", "input.txt:1: unknown event 'KEY'"},
        ErrorCase{"0 key", "input.txt:1: key: expected a key name or a virtual-key number"},
        ErrorCase{"0 key Q",
                  "input.txt:1: key: 'Q' is neither LEFT, RIGHT, UP, DOWN, A, Z, X, C nor a "
                  "virtual-key number 1..254"},
        ErrorCase{"0 key 255",
                  "input.txt:1: key: '255' is neither LEFT, RIGHT, UP, DOWN, A, Z, X, C nor a "
                  "virtual-key number 1..254"},
        ErrorCase{"0 key A B",
                  "input.txt:1: key: unexpected 'B' after a key name or a virtual-key number"},
        ErrorCase{"0 press 10", "input.txt:1: press: expected X Y"},
        ErrorCase{"0 drag 10 y", "input.txt:1: drag: X and Y must be integers"},
        ErrorCase{"0 move 40000 0", "input.txt:1: move: coordinates must lie in -32768..32767"},
        ErrorCase{"0 release 1 2 3", "input.txt:1: release: unexpected '3' after X Y"},
        ErrorCase{"0 press 1 2 top", "input.txt:1: press: unexpected 'top' after X Y"},
        ErrorCase{"0 move 1 2 middle", "input.txt:1: move: unexpected 'middle' after X Y"},
        ErrorCase{"0 drag 1 2 right 3", "input.txt:1: drag: unexpected 'right' after X Y"},
        ErrorCase{"0 wheel", "input.txt:1: wheel: expected D [shift]"},
        ErrorCase{"0 wheel 1 ctrl", "input.txt:1: wheel: unexpected 'ctrl' after D [shift]"},
        ErrorCase{"0 wheel 32768", "input.txt:1: wheel: D must be an integer -32768..32767"},
        ErrorCase{"0 wheel up shift", "input.txt:1: wheel: D must be an integer -32768..32767"},
        ErrorCase{"0 menu", "input.txt:1: menu: expected a command id"},
        ErrorCase{"0 menu 70000", "input.txt:1: menu: command id must be an integer 0..65535"},
        ErrorCase{"0 fields 1 2", "input.txt:1: fields: expected three texts R G B"},
        ErrorCase{"0 resize 0 10", "input.txt:1: resize: W and H must be integers 1..16384"},
        ErrorCase{"0 resize 10", "input.txt:1: resize: expected W H"},
        ErrorCase{"0 close now", "input.txt:1: close: unexpected 'now' after close"}));

TEST(Script, LimitsAdmitWhatFitsThem) {
    // A line of exactly 4096 bytes and exactly 100000 events are fine.
    const ParsedScript longLine = parse(std::string("0 key ") + std::string(4088, '0') + "65\n");
    ASSERT_TRUE(longLine.ok()) << longLine.error;
    EXPECT_EQ(longLine.events[0].a, 'A');
    const ParsedScript many = parse(repeated("7 key A\n", 100000));
    ASSERT_TRUE(many.ok()) << many.error;
    EXPECT_EQ(many.events.size(), 100000u);
}

// Scripts over the event count or the size, built when the test runs rather
// than with the table above, which every test of this program would build.
TEST(Script, LimitsRefuseWhatExceedsThem) {
    const ErrorCase cases[] = {
        {repeated("0 key A\n", 100001), "input.txt:100001: more than 100000 events"},
        {repeated(std::string("#") + std::string(4094, '-') + "\n", 4097),
         "input.txt:4097: script longer than 16777216 bytes"},
    };
    for (const ErrorCase& c : cases) {
        const ParsedScript script = parse(c.text);
        EXPECT_FALSE(script.ok());
        EXPECT_EQ(script.error, c.expected);
        EXPECT_TRUE(script.events.empty());
    }
}

// Inputs that are not a readable text file are errors, never an empty run.
TEST(Script, UnreadableInputIsAnError) {
    EXPECT_EQ(loadScript("/nonexistent/octaspin/script.txt").error,
              "/nonexistent/octaspin/script.txt: cannot open");
    EXPECT_EQ(loadScript("/").error, "/: cannot read");
    EXPECT_EQ(loadScript("/proc/self/mem").error, "/proc/self/mem: cannot read");
    EXPECT_EQ(loadScript("/dev/zero").error, "/dev/zero:1: line longer than 4096 bytes");
}

} // namespace
} // namespace headless
