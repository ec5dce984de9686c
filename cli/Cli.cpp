#include "cli/Cli.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "host/Listing.h"
#include "host/files/ProjectFiles.h"
#include "host/files/Text.h"
#include "model/ResizeCode.h"
#include "vb/Names.h"

namespace tolvane::cli {
namespace {

constexpr std::string_view kVersion = "quenlow 1.0.0 (Tolvane 1.0)";

constexpr std::string_view kHelp = R"(quenlow - writes the Visual Basic 6 code that keeps a form's controls in place
or in proportion when the form is resized (the same text as the Quenlow add-in).

Usage:
  quenlow forms PROJECT [--codepage N]
  quenlow controls PROJECT FORM [--codepage N]
  quenlow generate [PROJECT [--codepage N]] --form NAME [--pick REF[=OPTS]]... [--block BLOCK]
  quenlow --help | --version

PROJECT is a Visual Basic 6 project file (.vbp) with its designer files, or a
lone form file (.frm). Its files are read in code page 1252 (Western) unless
--codepage names another: 932 Japanese, 936 Simplified Chinese, 949 Korean,
950 Traditional Chinese, 1250 Central European, 1251 Cyrillic, 1253 Greek,
1256 Arabic, ... A file that is not what Visual Basic writes is refused with
its name, the line and what is wrong; nothing is taken from it.

forms
  Lists the forms the add-in's form selector offers: the project's standard
  forms (not MDI forms, user controls or modules), in project order.

controls
  Lists the controls of the form FORM as the add-in's grid lists them: the
  form's controls last first, each container followed by its contents, two
  spaces of indent per level. Every control is listed; a line after the 50th
  says how many more the grid cannot show.

generate
  Builds the three blocks of code for the form NAME (--form "" is allowed and
  leaves the form reference out, as the add-in does with no form picked).
  Without PROJECT, each --pick fills the next grid row (at most 50), ticked,
  with the control reference REF: a control name such as Command1, or an
  element of a control array such as Option1(3).
  With PROJECT, NAME must be one of its forms; the rows are that form's
  controls as the add-in lists them (the first 50), and each --pick ticks the
  row whose control is REF (letter case ignored).
  OPTS is a comma-separated list, in any order and any letter case, of
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

Exit status: 0 done; 1 a project file could not be read, or a form or control
named is not in it (one line on standard error: "quenlow: FILE:LINE: what");
2 the command line is wrong (one line on standard error, nothing on standard
output).

Examples:
  quenlow forms examples/Example.vbp
  quenlow controls examples/Example.vbp Form1
  quenlow generate examples/Example.vbp --form Form1 --pick Command1=LM
  quenlow generate examples/Example.vbp --form Form1 --pick fraOptions=LR,UR --block resize
  quenlow controls legacy/Kaikei.vbp frmMain --codepage 932
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
    std::optional<std::string> project;
    std::optional<int> codePage;
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

// One argument: an option name with its "=value" split off, or a plain argument.
struct Argument {
    std::string option;  // empty for a plain argument
    std::optional<std::string> inlineValue;
};

Argument Split(const std::string& arg) {
    if (arg.rfind("-", 0) != 0 || arg == "-") return {};
    if (arg.rfind("--", 0) == 0)
        if (const auto equals = arg.find('='); equals != std::string::npos)
            return {arg.substr(0, equals), arg.substr(equals + 1)};
    return {arg, std::nullopt};
}

int ParseCodePage(const std::string& text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || number <= 0)
        throw UsageError("--codepage " + Quoted(text) + ": give a code page number such as 1252 or 932");
    return number;
}

GenerateRequest ParseGenerate(const std::vector<std::string>& args) {
    GenerateRequest request;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    ArgumentReader reader(rest);
    while (!reader.Done()) {
        const std::string& arg = reader.Next();
        const auto [option, inlineValue] = Split(arg);
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
        } else if (option == "--codepage") {
            if (request.codePage) throw UsageError("--codepage: given more than once");
            request.codePage = ParseCodePage(reader.ValueOf(option, inlineValue));
        } else if (!option.empty()) {
            throw UsageError(Quoted(arg) + ": unknown option for generate");
        } else if (!request.project) {
            request.project = arg;
        } else {
            throw UsageError(Quoted(arg) + ": unexpected argument");
        }
    }
    if (!request.formName) throw UsageError("generate: --form NAME is required");
    if (request.codePage && !request.project) throw UsageError("--codepage: only with a PROJECT to read");
    return request;
}

// "forms PROJECT" and "controls PROJECT FORM": positional arguments and --codepage.
struct ProjectRequest {
    std::vector<std::string> positional;
    std::optional<int> codePage;
};

ProjectRequest ParseProjectCommand(const std::vector<std::string>& args, std::size_t expected, const char* usage) {
    ProjectRequest request;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    ArgumentReader reader(rest);
    while (!reader.Done()) {
        const std::string& arg = reader.Next();
        const auto [option, inlineValue] = Split(arg);
        if (option == "--codepage") {
            if (request.codePage) throw UsageError("--codepage: given more than once");
            request.codePage = ParseCodePage(reader.ValueOf(option, inlineValue));
        } else if (!option.empty()) {
            throw UsageError(Quoted(arg) + ": unknown option for " + args.front());
        } else if (request.positional.size() == expected) {
            throw UsageError(Quoted(arg) + ": unexpected argument (usage: " + usage + ")");
        } else {
            request.positional.push_back(arg);
        }
    }
    if (request.positional.size() != expected) throw UsageError(std::string("usage: ") + usage);
    return request;
}

std::shared_ptr<host::memory::MemoryHost> Open(const std::string& project, const std::optional<int>& codePageNumber) {
    std::optional<host::files::CodePage> codePage;
    try {
        codePage.emplace(codePageNumber.value_or(host::files::kDefaultCodePage));
    } catch (const host::files::CodePageError& error) {
        throw UsageError(std::string("--codepage: ") + error.what());
    }
    return host::files::OpenProject(host::files::PathFromUtf8(project), *codePage);
}

std::string Label(const std::string& project) {
    return host::files::Utf8FromPath(host::files::PathFromUtf8(project).lexically_normal());
}

std::string Article(std::int32_t type) {
    switch (type) {
        case host::StdModule: return "a module";
        case host::ClassModule: return "a class module";
        case host::VBMDIForm: return "an MDI form";
        case host::PropPage: return "a property page";
        case host::UserControl: return "a user control";
        case host::DocObject: return "a user document";
        case host::ActiveXDesigner: return "an ActiveX designer";
        default: return "no form";
    }
}

bool HasControls(std::int32_t type) {
    return type == host::VBForm || type == host::VBMDIForm || type == host::PropPage || type == host::UserControl ||
           type == host::DocObject;
}

// The project's name for the component `wanted` (letter case ignored), read through the
// host as the add-in reads it. Only standard forms when `formsOnly`, as the form selector
// offers; any component with controls otherwise.
std::string FindForm(host::Root& root, const std::string& wanted, const std::string& project, bool formsOnly) {
    auto components = root.ActiveVBProject()->VBComponents();
    std::vector<std::string> forms;
    const int count = components->Count();
    for (int i = 1; i <= count; ++i) {
        auto component = components->Item(i);
        const std::int32_t type = component->Type();
        const std::string name = component->Name();
        if (type == host::VBForm) forms.push_back(name);
        if (!vb::SameNameIgnoringCase(name, wanted)) continue;
        if (type == host::VBForm || (!formsOnly && HasControls(type))) return name;
        throw host::files::FileError(project, 0,
                                     Quoted(name) + " is " + Article(type) +
                                         (formsOnly ? "; the add-in offers standard forms only" : ", not a form"));
    }
    std::string known;
    for (const auto& name : forms) known += (known.empty() ? "" : ", ") + name;
    throw host::files::FileError(project, 0,
                                 "no form named " + Quoted(vb::Printable(wanted)) +
                                     (known.empty() ? " (the project has no forms)" : " (its forms: " + known + ")"));
}

std::vector<host::ListedControl> ListControls(host::Root& root, const std::string& form) {
    std::vector<host::ListedControl> rows;
    host::ListFormControls(root, form, [&](const host::ListedControl& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

int RunForms(const std::vector<std::string>& args, std::ostream& out) {
    const auto request = ParseProjectCommand(args, 1, "quenlow forms PROJECT [--codepage N]");
    auto host = Open(request.positional[0], request.codePage);
    auto components = host->ActiveVBProject()->VBComponents();
    const int count = components->Count();
    for (int i = 1; i <= count; ++i) {
        auto component = components->Item(i);
        if (component->Type() == host::VBForm) out << component->Name() << "\n";
    }
    return kExitOk;
}

int RunControls(const std::vector<std::string>& args, std::ostream& out) {
    const auto request = ParseProjectCommand(args, 2, "quenlow controls PROJECT FORM [--codepage N]");
    auto host = Open(request.positional[0], request.codePage);
    const std::string form = FindForm(*host, request.positional[1], Label(request.positional[0]), false);
    const auto rows = ListControls(*host, form);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << std::string(2 * static_cast<std::size_t>(rows[i].depth), ' ') << rows[i].controlRef << "\n";
        if (i + 1 == static_cast<std::size_t>(RowCapacity) && rows.size() > i + 1) {
            const std::size_t more = rows.size() - RowCapacity;
            out << "(" << more << " more control" << (more == 1 ? "" : "s") << ": the add-in's grid shows the first "
                << RowCapacity << ")\n";
        }
    }
    return kExitOk;
}

// The grid as the add-in fills it for the form, with the picked rows ticked.
ResizeModel ModelFromProject(const GenerateRequest& request) {
    const std::string label = Label(*request.project);
    auto host = Open(*request.project, request.codePage);
    ResizeModel model;
    model.formName = FindForm(*host, *request.formName, label, true);
    const auto listed = ListControls(*host, model.formName);
    const std::size_t rows = std::min(listed.size(), static_cast<std::size_t>(RowCapacity));
    for (std::size_t i = 0; i < rows; ++i) model.rows[i].controlRef = listed[i].controlRef;

    for (const ControlRow& pick : request.picks) {
        auto same = [&](const host::ListedControl& row) {
            return vb::SameNameIgnoringCase(row.controlRef, pick.controlRef);
        };
        const auto found = std::find_if(listed.begin(), listed.end(), same);
        const auto position = static_cast<std::size_t>(found - listed.begin());
        if (found == listed.end())
            throw host::files::FileError(label, 0,
                                         "--pick " + Quoted(pick.controlRef) + ": form " + model.formName +
                                             " has no control " + Quoted(pick.controlRef));
        if (position >= rows)
            throw host::files::FileError(label, 0,
                                         "--pick " + Quoted(pick.controlRef) + ": control " + found->controlRef +
                                             " of form " + model.formName + " is row " + std::to_string(position + 1) +
                                             "; the add-in's grid shows the first " + std::to_string(RowCapacity));
        ControlRow& row = model.rows[position];
        if (IsSet(row.included)) throw UsageError("--pick " + Quoted(pick.controlRef) + ": row picked twice");
        const std::string ref = row.controlRef;
        row = pick;
        row.controlRef = ref;  // the form's spelling of the name
    }
    return model;
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
    if (request.project) {
        model = ModelFromProject(request);
    } else {
        model.formName = *request.formName;
        for (std::size_t i = 0; i < request.picks.size(); ++i) model.rows[i] = request.picks[i];
    }
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
        if (command == "forms") return RunForms(args, out);
        if (command == "controls") return RunControls(args, out);
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
