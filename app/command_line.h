// The desktop program's command line. The program takes no arguments:
// --help and --version answer with a text and end it; anything else is
// ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The text that the first --help or --version among `arguments` (those
// after the program's name) asks for, or nothing when neither is there.
std::optional<std::string> commandLineAnswer(const std::vector<std::string>& arguments);
