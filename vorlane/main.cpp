#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    return vorlane::host::run_cli(argc, argv, std::cout, std::cerr);
}
