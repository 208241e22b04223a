// octaspin-headless: the program on the in-memory backend, for CI, README
// pictures and machines without a display.

#include "tools/runner.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return headless::runHeadless(arguments, std::cout, std::cerr);
}
