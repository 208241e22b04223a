// WinMain's command line: the arguments after the program's name in one
// string, split by the platform's rules (blanks separate
// arguments; double quotes group them; a backslash escapes a quote, and 2n
// backslashes before a quote stand for n). The desktop program and the
// headless runner build such a line from their own arguments, so WinMain
// reads a model's name the same way everywhere.
#pragma once

#include <string>

// The first argument of `commandLine` (null counts as empty); empty when
// there is none.
std::string firstArgument(const char* commandLine);

// `argument` as one argument of a command line: as it stands when it needs
// no quoting, otherwise quoted and escaped.
std::string quoteArgument(const std::string& argument);
