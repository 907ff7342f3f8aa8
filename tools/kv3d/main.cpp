#include <unistd.h>

#include <iostream>

#include "Cli.h"

int main(int argc, char** argv) {
    std::ostream* progress = isatty(STDERR_FILENO) ? &std::cerr : nullptr;
    return kv3dcli::run_cli(argc, argv, std::cin, std::cout, std::cerr, progress);
}
