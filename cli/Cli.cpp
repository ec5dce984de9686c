#include "cli/Cli.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "model/ResizeCode.h"

namespace tolvane::cli {
namespace {

constexpr std::string_view kVersion = "quenlow 1.0.0 (Tolvane 1.0)";

constexpr std::string_view kHelp = R"(quenlow - writes the Visual Basic 6 code that keeps a form's controls in place
or in proportion when the form is resized (the same text as the Quenlow add-in).

Usage:
  quenlow generate --form NAME [--pick REF[=OPTS]]... [--block BLOCK]
  quenlow --help | --version

generate
  Builds the three blocks of code for the form NAME (--form "" is allowed and
  leaves the form reference out, as the add-in does with no form picked).
  Each --pick fills the next grid row (at most 50), ticked, with the control
  reference REF: a control name such as Command1, or an element of a control
  array such as Option1(3). OPTS is a comma-separated list, in any order and
  any letter case, of
      LM  Left/Right: move with the form's right edge
      LR  Left/Right: resize the width with the form
      LS  Left/Right: scale (proportional instead of by offset)
      UM  Up/Down: move with the form's bottom edge
      UR  Up/Down: resize the height with the form
      US  Up/Down: scale
  REF alone, or REF=, ticks the row with no option.

  --block declarations|load|resize
      Writes only that block, byte for byte (CR LF line ends, nothing added),
      ready to paste or to pipe into a file. Without --block, all three blocks
      are written, each under the caption the add-in shows above it.

Exit status: 0 done, 2 the command line is wrong (one line on standard error,
nothing on standard output).

Examples:
  quenlow generate --form Form1 --pick Command1=LM
  quenlow generate --form frmMain --pick fraOptions=LR,UR --pick Option1(0)=lm,ls --block resize
  quenlow generate --form Form1 --pick Text1=LR,UM,US --block declarations > decl.txt
)";

constexpr std::string_view kDeclarationsCaption = "Paste this code in the form's declaration section";
constexpr std::string_view kLoadCaption = "Paste this code in the form's Load event section";
constexpr std::string_view kResizeCaption = "Paste this code in the form's Resize event section";

// A mistake on the command line: reported as one line, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A VB identifier: a letter first, then letters, digits or underscores. Bytes of multi-byte
// UTF-8 sequences count as letters, since names may be written in other scripts.
bool IsIdentifier(std::string_view name) {
    if (name.empty()) return false;
    const auto first = static_cast<unsigned char>(name.front());
    if (!IsAsciiLetter(first) && first < 0x80) return false;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (!IsAsciiLetter(c) && !IsDigit(c) && c != '_' && c < 0x80) return false;
    }
    return true;
}

// A name, optionally followed by "(index)" with a decimal index 0..32767 without leading zeros.
bool IsControlReference(std::string_view ref) {
    const auto open = ref.find('(');
    if (open == std::string_view::npos) return IsIdentifier(ref);
    if (!IsIdentifier(ref.substr(0, open)) || ref.back() != ')') return false;
    const std::string_view index = ref.substr(open + 1, ref.size() - open - 2);
    if (index.empty() || index.size() > 5 || (index.size() > 1 && index.front() == '0')) return false;
    for (const char c : index)
        if (!IsDigit(static_cast<unsigned char>(c))) return false;
    return std::stoi(std::string(index)) <= 32767;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// "--pick REF[=OPTS]": fills `row` ticked, with the options named.
ControlRow ParsePick(std::string_view pick) {
    const auto equals = pick.find('=');
    const std::string_view ref = pick.substr(0, equals);
    if (!IsControlReference(ref))
        throw UsageError("--pick " + Quoted(pick) + ": " + Quoted(ref) +
                         " is not a control reference (a name such as Command1, or an array element such as Option1(3))");
    ControlRow row;
    row.controlRef = std::string(ref);
    row.included = 1;
    if (equals == std::string_view::npos) return row;

    std::string_view options = pick.substr(equals + 1);
    while (!options.empty()) {
        const auto comma = options.find(',');
        const std::string_view option = options.substr(0, comma);
        const std::string code = Upper(option);
        if (code == "LM") row.moveH = 1;
        else if (code == "LR") row.sizeH = 1;
        else if (code == "LS") row.scaleH = 1;
        else if (code == "UM") row.moveV = 1;
        else if (code == "UR") row.sizeV = 1;
        else if (code == "US") row.scaleV = 1;
        else
            throw UsageError("--pick " + Quoted(pick) + ": unknown option " + Quoted(option) +
                             " (use LM, LR, LS, UM, UR, US)");
        if (comma == std::string_view::npos) break;
        options.remove_prefix(comma + 1);
        if (options.empty())
            throw UsageError("--pick " + Quoted(pick) + ": empty option after the last comma");
    }
    return row;
}

enum class Block { All, Declarations, Load, Resize };

struct GenerateRequest {
    std::optional<std::string> formName;
    std::vector<ControlRow> picks;
    Block block = Block::All;
};

// Splits "--name=value" or takes the value from the next argument.
class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}
    bool Done() const { return next_ >= args_.size(); }
    const std::string& Next() { return args_[next_++]; }
    std::string ValueOf(const std::string& option, const std::optional<std::string>& inlineValue) {
        if (inlineValue) return *inlineValue;
        if (Done()) throw UsageError(option + ": missing value");
        return Next();
    }

private:
    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
};

GenerateRequest ParseGenerate(const std::vector<std::string>& args) {
    GenerateRequest request;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    ArgumentReader reader(rest);
    while (!reader.Done()) {
        const std::string& arg = reader.Next();
        std::string option = arg;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            if (const auto equals = arg.find('='); equals != std::string::npos) {
                option = arg.substr(0, equals);
                inlineValue = arg.substr(equals + 1);
            }
        }
        if (option == "--form") {
            if (request.formName) throw UsageError("--form: given more than once");
            request.formName = reader.ValueOf(option, inlineValue);
        } else if (option == "--pick") {
            const std::string pick = reader.ValueOf(option, inlineValue);
            if (request.picks.size() == static_cast<std::size_t>(RowCapacity))
                throw UsageError("--pick " + Quoted(pick) + ": more than " + std::to_string(RowCapacity) +
                                 " picks (the grid has " + std::to_string(RowCapacity) + " rows)");
            request.picks.push_back(ParsePick(pick));
        } else if (option == "--block") {
            const std::string block = reader.ValueOf(option, inlineValue);
            if (block == "declarations") request.block = Block::Declarations;
            else if (block == "load") request.block = Block::Load;
            else if (block == "resize") request.block = Block::Resize;
            else throw UsageError("--block " + Quoted(block) + ": use declarations, load or resize");
        } else if (arg.rfind("-", 0) == 0) {
            throw UsageError(Quoted(arg) + ": unknown option for generate");
        } else {
            throw UsageError(Quoted(arg) + ": unexpected argument");
        }
    }
    if (!request.formName) throw UsageError("generate: --form NAME is required");
    return request;
}

void WriteGenerated(const GeneratedCode& code, Block block, std::ostream& out) {
    switch (block) {
        case Block::Declarations: out << code.declarations; return;
        case Block::Load: out << code.onLoad; return;
        case Block::Resize: out << code.onResize; return;
        case Block::All:
            out << kDeclarationsCaption << "\n" << code.declarations << "\n"
                << kLoadCaption << "\n" << code.onLoad << "\n"
                << kResizeCaption << "\n" << code.onResize;
            return;
    }
}

int RunGenerate(const std::vector<std::string>& args, std::ostream& out) {
    const GenerateRequest request = ParseGenerate(args);
    ResizeModel model;
    model.formName = *request.formName;
    for (std::size_t i = 0; i < request.picks.size(); ++i) model.rows[i] = request.picks[i];
    WriteGenerated(GenerateResizeCode(model), request.block, out);
    return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty()) throw UsageError("no command (try quenlow --help)");
        const std::string& command = args.front();
        const bool wantsHelp = std::find(args.begin(), args.end(), "--help") != args.end();
        if (wantsHelp || command == "-h" || command == "help") {
            out << kHelp;
            return kExitOk;
        }
        if (command == "--version") {
            out << kVersion << "\n";
            return kExitOk;
        }
        if (command == "generate") return RunGenerate(args, out);
        throw UsageError(Quoted(command) + ": unknown command (try quenlow --help)");
    } catch (const UsageError& error) {
        err << "quenlow: " << error.what() << "\n";
        return kExitUsage;
    } catch (const std::exception& error) {
        err << "quenlow: " << error.what() << "\n";
        return kExitFailure;
    } catch (...) {
        err << "quenlow: unexpected failure\n";
        return kExitFailure;
    }
}

}  // namespace tolvane::cli
