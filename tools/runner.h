// The headless runner: the real program (WinMain and everything under it)
// on the in-memory backend, driven by a pass count and an input script.
//
//   octaspin-headless [--frames N] [--client WxH] [--threads N]
//                     [--script FILE] [--mesh FILE] [--png FILE] [--quiet]
#pragma once

#include <ostream>
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

// Runs the program once. Returns its exit code; 2 for bad arguments, a
// script that is malformed, over a limit or unreadable, or a model that
// cannot be opened (nothing runs then; one line says why); 1 when the PNG
// cannot be written. The model reaches the program as the desktop program
// passes it, on WinMain's command line. The run ends after --frames passes
// whatever input is still waiting; the summary line then ends with
// "  undelivered: N". With a model, the line names it with its vertex and
// triangle counts ("  model: NAME  vertices: V  triangles: T").
// Installs and removes the headless backend itself; the caller provides a
// fresh process state (platform and appState as at start).
int runHeadless(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace headless
