// Input scripts for the headless runner: one event per line,
//
//   <frame> key LEFT|RIGHT|UP|DOWN|A|Z|X|C|<virtual-key number>
//   <frame> press X Y [B]    button B down (left, middle or right; left
//                            when not named)
//   <frame> drag X Y [B]     mouse move with button B held
//   <frame> move X Y         mouse move, no button
//   <frame> release X Y [B]  button B up
//   <frame> wheel D [shift]  the wheel turned by D (120 a notch, positive
//                            away from the user), Shift held or not, the
//                            pointer at the client area's centre
//   <frame> menu <command id>
//   <frame> fields R G B     texts typed into the next colour dialog, then Ok
//   <frame> resize W H       the user resizes the client area
//   <frame> close            the close box
//
// <frame> is the 0-based pass of the frame loop before which the event is
// posted. A word starting with '#' begins a comment that runs to the end of
// the line. A field text is any word; the word "" stands for an empty field.
//
// Limits, checked while reading so that no input (a device that never ends,
// a file of one endless line) holds the runner up: a line of at most
// kMaxScriptLineBytes bytes, at most kMaxScriptEvents events, and at most
// kMaxScriptBytes bytes in all.
#pragma once

#include <array>
#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace headless {

inline constexpr std::size_t kMaxScriptLineBytes = 4096; // '\n' not counted
inline constexpr std::size_t kMaxScriptEvents = 100000;
inline constexpr std::size_t kMaxScriptBytes = std::size_t{16} << 20;

enum class EventKind { Key, Press, Drag, Move, Release, Wheel, Menu, Fields, Resize, Close };

struct ScriptEvent {
    int frame = 0;
    EventKind kind = EventKind::Close;
    // Key: the virtual-key code in a. Press/Drag/Move/Release: the client
    // point (a, b). Wheel: the turn in a. Menu: the command id in a.
    // Resize: the client size (a, b).
    int a = 0;
    int b = 0;
    // Press/Drag/Release: the button's key-state bit (MK_LBUTTON,
    // MK_MBUTTON or MK_RBUTTON). Wheel: MK_SHIFT or 0.
    unsigned keys = 0;
    // Fields: red, green and blue texts.
    std::array<std::string, 3> fields;
    int line = 0; // 1-based line in the script
};

struct ParsedScript {
    // Sorted by frame; events of one frame keep their order in the file.
    std::vector<ScriptEvent> events;
    // Empty on success, otherwise one line "FILE:LINE: reason" (or
    // "FILE: cannot read"). Words of the input appear as wordExcerpt
    // shows them.
    std::string error;
    bool ok() const { return error.empty(); }
};

// Parses a script; `fileName` is used only in the error text. Stops at the
// first malformed line, at the first limit passed, and at a read error.
ParsedScript parseScript(std::istream& in, const std::string& fileName);

// Opens and parses a script file. A file that cannot be opened is an error
// "FILE: cannot open"; one that cannot be read (a directory, a file whose
// reads fail) "FILE: cannot read".
ParsedScript loadScript(const std::string& path);

// A word as error messages show it unquoted: model::quoted's excerpt (the
// first 32 bytes, then "...", bytes outside printable ASCII as \xNN)
// without its single quotes. Messages quote a word with model::quoted.
std::string wordExcerpt(const std::string& word);

} // namespace headless
