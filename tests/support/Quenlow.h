// quenlow run in-process through cli::Run, as its tests and the preview's drive it.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace tolvane::testing {

struct QuenlowResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline QuenlowResult Quenlow(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::Run(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace tolvane::testing
