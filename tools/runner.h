// The headless runner: the real program (WinMain and everything under it)
// on the in-memory backend, driven by a pass count and an input script
// (its command line: tools/runner_options.h).
#pragma once

#include "tools/runner_options.h"

#include <ostream>
#include <string>
#include <vector>

namespace headless {

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
