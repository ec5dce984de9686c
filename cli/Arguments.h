// The quenlow command line read into requests: every check that needs no file is made
// here, so that a wrong command line is a usage error before anything is read.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/ResizeCode.h"

namespace tolvane::cli {

// A mistake on the command line: reported as one line, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text from the command line or a file, quoted in a message: escaped, and only a short
// prefix of a long value.
std::string Quoted(std::string_view text);

enum class Block { All, Declarations, Load, Resize };

struct GenerateRequest {
    std::optional<std::string> project;
    std::optional<int> codePage;
    std::string formName;            // an identifier; "" only without a project
    std::vector<ControlRow> picks;   // in command-line order, no control twice
    Block block = Block::All;
    bool plain = false;              // --plain: the add-in's original text
    std::optional<CodeTarget> target;  // --target form|userform; else the form's own kind
    bool resizable = false;          // --resizable: a UserForm the user can resize
    bool followContainers = false;   // --relative container
};

// The options of a command built on generate: with a value (preview's --size and --out)
// or without (apply's --remove), each given at most once and stored where its entry points;
// and whether --form may be left out (apply --all), which leaves formName "".
struct CommandOptions {
    std::map<std::string, std::optional<std::string>*> valued;
    std::map<std::string, bool*> switches;
    bool formOptional = false;
};

// "generate ..." (args[0] is "generate"; preview and apply read their arguments the same
// way, with their own options in `own`).
GenerateRequest ParseGenerate(const std::vector<std::string>& args, const CommandOptions& own = {});

// "forms PROJECT" and "controls PROJECT FORM": positional arguments and --codepage.
struct ProjectRequest {
    std::vector<std::string> positional;
    std::optional<int> codePage;
    bool json = false;  // --json, where the command takes it
};
ProjectRequest ParseProjectCommand(const std::vector<std::string>& args, std::size_t expected, const char* usage,
                                   bool takesJson = false);

// Refuses a form name given on the command line that is no identifier; `lookedUp` when it
// only names a form of a project (see Arguments.cpp).
void CheckFormName(const std::string& name, const char* where, bool lookedUp);

}  // namespace tolvane::cli
