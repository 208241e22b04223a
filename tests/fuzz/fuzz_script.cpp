// Fuzz target: the headless runner's script parser.
//
// Bytes -> parseScript -> either events that all lie in their ranges,
// sorted by frame, within the event limit, or one short line of error
// naming the file and line, and no events.

#include "platform/core/win32.h"
#include "tools/script.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

bool inRange(long long v, long long low, long long high) {
    return v >= low && v <= high;
}

bool valid(const headless::ScriptEvent& e) {
    using headless::EventKind;
    switch (e.kind) {
    case EventKind::Key:
        return inRange(e.a, 1, 254);
    case EventKind::Press:
    case EventKind::Drag:
    case EventKind::Release:
        return inRange(e.a, -32768, 32767) && inRange(e.b, -32768, 32767) &&
               (e.keys == MK_LBUTTON || e.keys == MK_MBUTTON || e.keys == MK_RBUTTON);
    case EventKind::Move:
        return inRange(e.a, -32768, 32767) && inRange(e.b, -32768, 32767) && e.keys == 0;
    case EventKind::Wheel:
        return inRange(e.a, -32768, 32767) && (e.keys == 0 || e.keys == MK_SHIFT);
    case EventKind::Menu:
        return inRange(e.a, 0, 65535);
    case EventKind::Resize:
        return inRange(e.a, 1, 16384) && inRange(e.b, 1, 16384);
    case EventKind::Fields:
        for (const std::string& text : e.fields) {
            if (text.size() > headless::kMaxScriptLineBytes) {
                return false;
            }
        }
        return true;
    case EventKind::Close:
        return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const headless::ParsedScript script = headless::parseScript(in, "fuzz");
    if (!script.ok()) {
        // One line, the file and line first, words cut short: however long
        // the input, the message stays a few hundred bytes at most.
        if (!script.events.empty() || script.error.rfind("fuzz:", 0) != 0 ||
            script.error.find('\n') != std::string::npos || script.error.size() > 300) {
            std::abort();
        }
        return 0;
    }
    if (script.events.size() > headless::kMaxScriptEvents) {
        std::abort();
    }
    for (std::size_t i = 0; i < script.events.size(); ++i) {
        const headless::ScriptEvent& e = script.events[i];
        if (e.frame < 0 || e.line < 1 || !valid(e) ||
            (i > 0 && script.events[i - 1].frame > e.frame)) {
            std::abort();
        }
    }
    return 0;
}
