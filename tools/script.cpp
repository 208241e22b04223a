#include "tools/script.h"

#include "model/model_reader.h"
#include "platform/core/win32.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <limits>

namespace headless {

namespace {

// Client coordinates travel in the 16-bit halves of lParam.
constexpr long long kMinCoordinate = -32768;
constexpr long long kMaxCoordinate = 32767;
constexpr long long kMaxClientSize = 16384;
constexpr long long kMaxFrame = std::numeric_limits<int>::max();

struct NamedKey {
    const char* name;
    int code;
};
constexpr NamedKey kKeys[] = {{"LEFT", VK_LEFT}, {"RIGHT", VK_RIGHT}, {"UP", VK_UP},
                              {"DOWN", VK_DOWN}, {"A", 'A'},          {"Z", 'Z'},
                              {"X", 'X'},        {"C", 'C'}};

// The bytes that separate words: those the C locale calls white space.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Splits a line into words, dropping everything from a word that starts
// with '#'.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) {
            ++i;
        }
        if (i == line.size() || line[i] == '#') {
            break;
        }
        const std::size_t start = i;
        while (i < line.size() && !isSpace(line[i])) {
            ++i;
        }
        result.push_back(line.substr(start, i - start));
    }
    return result;
}

enum class Integer { Ok, OutOfRange, Malformed };

// A whole word as a decimal integer (optional '-'), or with "0x" as hex.
// A well-formed number too large for `value` is OutOfRange, with `value`
// at the nearer limit, so range checks that follow refuse it.
Integer parseInteger(const std::string& word, long long& value) {
    const char* first = word.data();
    const char* last = word.data() + word.size();
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        first += 2;
        base = 16;
    }
    auto [end, code] = std::from_chars(first, last, value, base);
    if (first == last || end != last) {
        return Integer::Malformed;
    }
    if (code == std::errc::result_out_of_range) {
        value = *first == '-' ? std::numeric_limits<long long>::min()
                              : std::numeric_limits<long long>::max();
        return Integer::OutOfRange;
    }
    return code == std::errc() ? Integer::Ok : Integer::Malformed;
}

bool isInteger(const std::string& word, long long& value) {
    return parseInteger(word, value) != Integer::Malformed;
}

enum class LineRead { Line, End, TooLong, Failed };

// Reads one line (without its '\n') of at most kMaxScriptLineBytes bytes,
// counting the bytes taken from the stream in `total`.
LineRead readLine(std::istream& in, std::string& line, std::size_t& total) {
    line.clear();
    char c = 0;
    while (in.get(c)) {
        ++total;
        if (c == '\n') {
            return LineRead::Line;
        }
        if (line.size() == kMaxScriptLineBytes) {
            return LineRead::TooLong;
        }
        line.push_back(c);
    }
    if (in.bad()) {
        return LineRead::Failed;
    }
    return line.empty() ? LineRead::End : LineRead::Line;
}

// The key-state bit of a button's name, 0 for a word that names none.
unsigned buttonNamed(const std::string& word) {
    return word == "left"     ? MK_LBUTTON
           : word == "middle" ? MK_MBUTTON
           : word == "right"  ? MK_RBUTTON
                              : 0;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Parses the words after the frame number into `event`; returns the reason
// when they are malformed.
std::string parseEvent(const std::vector<std::string>& w, ScriptEvent& event) {
    const std::string& name = w[1];
    const std::size_t arguments = w.size() - 2;
    auto expectArguments = [&](std::size_t count, const char* usage) -> std::string {
        if (arguments < count) {
            return name + ": expected " + usage;
        }
        if (arguments > count) {
            return name + ": unexpected " + model::quoted(w[2 + count]) + " after " + usage;
        }
        return {};
    };

    if (name == "key") {
        if (auto reason = expectArguments(1, "a key name or a virtual-key number");
            !reason.empty()) {
            return reason;
        }
        event.kind = EventKind::Key;
        const std::string key = upper(w[2]);
        for (const NamedKey& k : kKeys) {
            if (key == k.name) {
                event.a = k.code;
                return {};
            }
        }
        long long code = 0;
        if (!isInteger(w[2], code) || code < 1 || code > 254) {
            return "key: " + model::quoted(w[2]) +
                   " is neither LEFT, RIGHT, UP, DOWN, A, Z, X, C nor a virtual-key number 1..254";
        }
        event.a = static_cast<int>(code);
        return {};
    }

    if (name == "press" || name == "drag" || name == "move" || name == "release") {
        // A button named after the point (not for a move, which holds none).
        const unsigned button = name != "move" && arguments == 3 ? buttonNamed(w[4]) : 0;
        if (button == 0) {
            if (auto reason = expectArguments(2, "X Y"); !reason.empty()) {
                return reason;
            }
        }
        event.kind = name == "press"  ? EventKind::Press
                     : name == "drag" ? EventKind::Drag
                     : name == "move" ? EventKind::Move
                                      : EventKind::Release;
        event.keys = name == "move" ? 0 : button != 0 ? button : MK_LBUTTON;
        long long x = 0;
        long long y = 0;
        if (!isInteger(w[2], x) || !isInteger(w[3], y)) {
            return name + ": X and Y must be integers";
        }
        if (x < kMinCoordinate || x > kMaxCoordinate || y < kMinCoordinate || y > kMaxCoordinate) {
            return name + ": coordinates must lie in -32768..32767";
        }
        event.a = static_cast<int>(x);
        event.b = static_cast<int>(y);
        return {};
    }

    if (name == "wheel") {
        const bool shift = arguments == 2 && w[3] == "shift";
        if (!shift) {
            if (auto reason = expectArguments(1, "D [shift]"); !reason.empty()) {
                return reason;
            }
        }
        long long delta = 0;
        if (!isInteger(w[2], delta) || delta < kMinCoordinate || delta > kMaxCoordinate) {
            return "wheel: D must be an integer -32768..32767";
        }
        event.kind = EventKind::Wheel;
        event.a = static_cast<int>(delta);
        event.keys = shift ? MK_SHIFT : 0;
        return {};
    }

    if (name == "menu") {
        if (auto reason = expectArguments(1, "a command id"); !reason.empty()) {
            return reason;
        }
        long long id = 0;
        if (!isInteger(w[2], id) || id < 0 || id > 65535) {
            return "menu: command id must be an integer 0..65535";
        }
        event.kind = EventKind::Menu;
        event.a = static_cast<int>(id);
        return {};
    }

    if (name == "fields") {
        if (auto reason = expectArguments(3, "three texts R G B"); !reason.empty()) {
            return reason;
        }
        event.kind = EventKind::Fields;
        for (std::size_t i = 0; i < 3; ++i) {
            event.fields[i] = w[2 + i] == "\"\"" ? std::string() : w[2 + i];
        }
        return {};
    }

    if (name == "resize") {
        if (auto reason = expectArguments(2, "W H"); !reason.empty()) {
            return reason;
        }
        long long width = 0;
        long long height = 0;
        if (!isInteger(w[2], width) || !isInteger(w[3], height) || width < 1 || height < 1 ||
            width > kMaxClientSize || height > kMaxClientSize) {
            return "resize: W and H must be integers 1..16384";
        }
        event.kind = EventKind::Resize;
        event.a = static_cast<int>(width);
        event.b = static_cast<int>(height);
        return {};
    }

    if (name == "close") {
        event.kind = EventKind::Close;
        return expectArguments(0, "close");
    }

    return "unknown event " + model::quoted(name);
}

} // namespace

ParsedScript parseScript(std::istream& in, const std::string& fileName) {
    ParsedScript script;
    std::string line;
    int lineNumber = 0;
    std::size_t bytes = 0;
    for (;;) {
        const LineRead read = readLine(in, line, bytes);
        if (read == LineRead::End) {
            break;
        }
        auto fail = [&](const std::string& reason) {
            script.events.clear();
            script.error = fileName + ":" + std::to_string(lineNumber) + ": " + reason;
            return script;
        };
        if (read == LineRead::Failed) {
            script.events.clear();
            script.error = fileName + ": cannot read";
            return script;
        }
        ++lineNumber;
        if (read == LineRead::TooLong) {
            return fail("line longer than " + std::to_string(kMaxScriptLineBytes) + " bytes");
        }
        if (bytes > kMaxScriptBytes) {
            return fail("script longer than " + std::to_string(kMaxScriptBytes) + " bytes");
        }
        const std::vector<std::string> w = words(line);
        if (w.empty()) {
            continue;
        }
        long long frame = 0;
        const Integer number = parseInteger(w[0], frame);
        if (number == Integer::Malformed) {
            return fail("expected a frame number, found " + model::quoted(w[0]));
        }
        if (number == Integer::OutOfRange || frame < 0 || frame > kMaxFrame) {
            return fail("frame " + wordExcerpt(w[0]) + " is out of range 0.." +
                        std::to_string(kMaxFrame));
        }
        if (w.size() < 2) {
            return fail("missing event after the frame number");
        }
        if (script.events.size() == kMaxScriptEvents) {
            return fail("more than " + std::to_string(kMaxScriptEvents) + " events");
        }
        ScriptEvent event;
        event.frame = static_cast<int>(frame);
        event.line = lineNumber;
        if (std::string reason = parseEvent(w, event); !reason.empty()) {
            return fail(reason);
        }
        script.events.push_back(std::move(event));
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    return script;
}

ParsedScript loadScript(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        ParsedScript script;
        script.error = path + ": cannot open";
        return script;
    }
    return parseScript(file, path);
}

std::string wordExcerpt(const std::string& word) {
    const std::string quoted = model::quoted(word);
    return quoted.substr(1, quoted.size() - 2);
}

} // namespace headless
