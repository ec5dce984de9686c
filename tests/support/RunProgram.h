// Runs a built program the way a user's shell would and captures what it wrote,
// so command-line tests check the real executable, byte for byte.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

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

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    static int counter = 0;
    const auto dir = std::filesystem::temp_directory_path();
    const auto stem = "tolvane-run-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const auto outPath = dir / (stem + ".out");
    const auto errPath = dir / (stem + ".err");
    std::string command = ShellQuote(program);
    for (const auto& arg : args) command += " " + ShellQuote(arg);
    command += " </dev/null >" + ShellQuote(outPath.string()) + " 2>" + ShellQuote(errPath.string());
    const int raw = std::system(command.c_str());
    ProgramResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadWholeFile(outPath);
    result.err = ReadWholeFile(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

}  // namespace tolvane::testing
