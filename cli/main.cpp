#include <iostream>

#include "cli/Cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Generated blocks end their lines with CR LF already; text mode would double the CR.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = tolvane::cli::Run(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
