#include "cli/Cli.h"

int main(int argc, char** argv) { return tolv::cli::run(argc, argv); }
