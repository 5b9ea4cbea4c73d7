#include "cli/Cli.h"
#include "platform/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) { return tolv::cli::run(tolv::commandLineArguments(argc, argv), std::cout, std::cerr); }
