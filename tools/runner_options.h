// The headless runner's command line:
//
//   octaspin-headless [--frames N] [--client WxH] [--threads N]
//                     [--script FILE] [--mesh FILE] [--png FILE] [--quiet]
#pragma once

#include <string>
#include <vector>

namespace headless {

struct RunnerOptions {
    int frames = 300;    // passes of the frame loop before the close box is pressed
    int clientWidth = 0; // 0: the client area a 640 x 480 window gets
    int clientHeight = 0;
    int threads = 0; // drawing threads; 0: the device's default (OCTASPIN_THREADS, else the cores)
    std::string scriptPath;
    std::string meshPath; // a model file shown instead of the polyhedron
    std::string pngPath;
    bool quiet = false;
};

// Parses the arguments after the program name. False, with the reason in
// `error`, on an unknown option, a missing or malformed value.
bool parseArguments(const std::vector<std::string>& arguments, RunnerOptions& options,
                    std::string& error);

extern const char kUsage[];

} // namespace headless
