// zeptool: the project toolkit's entry point.
#include "toolkit/Zeptool.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    return toolkit::runZeptool(args, std::cout, std::cerr);
}
