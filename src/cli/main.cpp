#include "cli/Cli.h"
#include "platform/CommandLine.h"
#include "platform/ConsoleText.h"

#include <iostream>

int main(int argc, char** argv)
{
    const tolv::ConsoleText console;
    return tolv::cli::run(tolv::commandLineArguments(argc, argv), std::cout, std::cerr);
}
