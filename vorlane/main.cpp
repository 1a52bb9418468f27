#include <iostream>

#include "vorlane/cli/Cli.h"

int main(int argc, char** argv) {
    return vorlane::run_cli(argc, argv, std::cout, std::cerr);
}
