// quenlow: the command line is cli::Run; Windows adds its own edge (cli/win32/Console.h).
#include "cli/Cli.h"

#ifdef _WIN32
#include "cli/win32/Console.h"

int wmain(int argc, wchar_t** argv) { return tolvane::cli::win32::Main(argc, argv); }
#else
#include <iostream>

int main(int argc, char** argv) {
    const int status = tolvane::cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    std::cout.flush();
    return status;
}
#endif
