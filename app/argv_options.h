// The desktop program's arguments as main() gets them (argv, one string
// each): --help and --version answer with a text and end it; the first
// argument that is not an option (or the first after "--") names a model
// file; anything else is ignored. The model's name then reaches WinMain on
// its one-string command line (app/winmain_command_line.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

// The text that the first --help or --version among `arguments` (those
// after the program's name) asks for, or nothing when neither is there.
std::optional<std::string> commandLineAnswer(const std::vector<std::string>& arguments);

// The model file the arguments name, or empty.
std::string modelArgument(const std::vector<std::string>& arguments);
