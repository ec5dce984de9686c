// Runs a built program the way a user's shell would and captures what it wrote,
// so command-line tests check the real executable, byte for byte.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "tests/support/Files.h"

namespace tolvane::testing {

struct ProgramResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    const TempDir scratch;
    const auto outPath = scratch.Path() / "out";
    const auto errPath = scratch.Path() / "err";
    std::string command = ShellQuote(program);
    for (const auto& arg : args) command += " " + ShellQuote(arg);
    command += " </dev/null >" + ShellQuote(outPath.string()) + " 2>" + ShellQuote(errPath.string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(outPath), ReadBytes(errPath)};
}

}  // namespace tolvane::testing
