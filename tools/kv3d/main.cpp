#include <iostream>

#include "Cli.h"

int main(int argc, char** argv) {
    return kv3dcli::run_cli(argc, argv, std::cin, std::cout, std::cerr);
}
