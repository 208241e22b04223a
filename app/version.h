// The program's version, as the About box and --version show it. The build
// passes in the project's version; a build that does not gets this one.
#pragma once

#ifndef OCTASPIN_VERSION
#define OCTASPIN_VERSION "1.0.0"
#endif
