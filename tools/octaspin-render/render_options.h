// octaspin-render's command line: what to draw, how, and where to put it.
//
//   octaspin-render [options] MODEL... -o OUT
//
// Options take their value as the next argument or after '=' (--size=64);
// "--" ends the options. Every value is checked here: a wrong one is a
// usage error (the program prints it with the usage line and exits 2).
#pragma once

#include "tools/octaspin-render/picture.h"

#include <string>
#include <vector>

namespace render {

struct CommandLine {
    PictureOptions picture;
    std::vector<std::string> models;
    std::string output;   // a file, a folder or "-" (standard output)
    bool help = false;    // --help: the usage text, nothing drawn
    bool version = false; // --version
    bool timings = false; // --timings: each model's stage times on stderr
};

// False, with what is wrong in `error` (one line), for an unknown option, a
// missing or out-of-range value, no model or no -o.
bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error);

// The usage line, and the whole --help text.
extern const char kUsageLine[];
extern const char kHelpText[];

} // namespace render
