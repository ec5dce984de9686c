#include <filesystem>
#include <iostream>

#include "cli/Cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int RunWith(const std::vector<std::string>& args) {
    const int status = tolvane::cli::Run(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    // Generated blocks end their lines with CR LF already; text mode would double the CR.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::u8string text = std::filesystem::path(argv[i]).u8string();
            args.emplace_back(text.begin(), text.end());
        }
    } catch (const std::exception&) {
        std::cerr << "quenlow: an argument is not valid Unicode text\n";
        return tolvane::cli::kExitUsage;
    }
    return RunWith(args);
}
#else
int main(int argc, char** argv) { return RunWith(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
