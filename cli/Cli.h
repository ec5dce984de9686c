// The quenlow command line: parsing and the commands, apart from main() so that the
// commands can be driven in-process as well as through the built program.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tolvane::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // bad input files, unknown form or control
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Runs `quenlow` with the arguments after the program name. Generated text is written to
// `out` byte for byte; every diagnostic goes to `err` as one line. Never throws.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tolvane::cli
