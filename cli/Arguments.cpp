#include "cli/Arguments.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <set>

#include "model/Picks.h"
#include "vb/Names.h"

namespace tolvane::cli {

std::string Quoted(std::string_view text) { return "\"" + vb::PrintablePrefix(text, 60) + "\""; }

namespace {

// Names typed on the command line. Without a project they go into the code as typed and
// follow VB's rule. With one they only look up a name of the project, whose own spelling goes
// into the code; as its files may be in an East Asian code page, where any double-byte
// character is a letter, so may any character from U+0080 up be here.
using NameRule = bool (*)(std::string_view);
constexpr NameRule kWrittenName = vb::IsVbIdentifier;
constexpr NameRule kLookedUpName = vb::MayBeDoubleByteIdentifier;

// A name, optionally followed by "(index)": a control-array index without leading zeros, as
// VB writes a reference.
bool IsControlReference(std::string_view ref, NameRule isName) {
    const auto open = ref.find('(');
    if (open == std::string_view::npos) return isName(ref);
    if (!isName(ref.substr(0, open)) || ref.back() != ')') return false;
    const std::string_view index = ref.substr(open + 1, ref.size() - open - 2);
    return vb::ParseControlIndex(index) && (index.size() == 1 || index.front() != '0');
}

[[noreturn]] void FailReference(std::string_view pick, std::string_view ref) {
    throw UsageError("--pick " + Quoted(pick) + ": " + Quoted(ref) +
                     " is not a control reference (a name such as Command1, or an array element such as Option1(3))");
}

// "--pick REF[=OPTS]": a ticked row with the options named.
ControlRow ParsePick(std::string_view pick) {
    const auto equals = pick.find('=');
    const std::string_view ref = pick.substr(0, equals);
    if (!IsControlReference(ref, kLookedUpName)) FailReference(pick, ref);
    ControlRow row;
    row.controlRef = std::string(ref);
    row.included = 1;
    if (equals == std::string_view::npos) return row;

    const std::string_view options = pick.substr(equals + 1);
    if (options.empty()) return row;
    if (const auto unknown = TickOptions(options, row)) {
        if (unknown->empty() && options.back() == ',')
            throw UsageError("--pick " + Quoted(pick) + ": empty option after the last comma");
        throw UsageError("--pick " + Quoted(pick) + ": unknown option " + Quoted(*unknown) +
                         " (use LM, LR, LS, UM, UR, US)");
    }
    return row;
}

// Splits "--name=value" or takes the value from the next argument.
class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& args) : args_(args), next_(1) {}
    bool Done() const { return next_ >= args_.size(); }
    const std::string& Next() { return args_[next_++]; }
    std::string ValueOf(const std::string& option, const std::optional<std::string>& inlineValue) {
        if (!inlineValue && Done()) throw UsageError(option + ": missing value");
        const std::string value = inlineValue ? *inlineValue : Next();
        // "--form --pick x": the value was forgotten, not meant to be "--pick".
        if (value.rfind("--", 0) == 0) throw UsageError(option + ": missing value (" + Quoted(value) + " is an option)");
        return value;
    }

private:
    const std::vector<std::string>& args_;
    std::size_t next_;
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

void SetOnce(std::optional<int>& codePage, int value) {
    if (codePage) throw UsageError("--codepage: given more than once");
    codePage = value;
}

Block ParseBlock(const std::string& block) {
    if (block == "declarations") return Block::Declarations;
    if (block == "load") return Block::Load;
    if (block == "resize") return Block::Resize;
    throw UsageError("--block " + Quoted(block) + ": use declarations, load or resize");
}

}  // namespace

void CheckFormName(const std::string& name, const char* where, bool lookedUp) {
    if (!(lookedUp ? kLookedUpName : kWrittenName)(name))
        throw UsageError(std::string(where) + " " + Quoted(name) + ": not a form name (a Visual Basic identifier: a letter, then letters, digits or _, at most " +
                         std::to_string(vb::kMaxIdentifierLength) + " characters)");
}

GenerateRequest ParseGenerate(const std::vector<std::string>& args, const CommandOptions& own) {
    GenerateRequest request;
    std::optional<std::string> formName;
    bool blockSeen = false;
    bool plain = false, robust = false;
    std::set<std::string> picked;  // folded references
    std::vector<std::string> typed;  // each --pick as given, for messages
    ArgumentReader reader(args);
    std::set<std::string> given;  // every option but --pick may be given once
    while (!reader.Done()) {
        const std::string& arg = reader.Next();
        const auto [option, inlineValue] = Split(arg);
        if (!option.empty() && option != "--pick" && !given.insert(option).second)
            throw UsageError(option + ": given more than once");
        if (option == "--form") {
            if (formName) throw UsageError("--form: given more than once");
            formName = reader.ValueOf(option, inlineValue);
        } else if (option == "--pick") {
            typed.push_back(reader.ValueOf(option, inlineValue));
            ControlRow row = ParsePick(typed.back());
            if (!picked.insert(vb::FoldCase(row.controlRef)).second)
                throw UsageError("--pick " + Quoted(row.controlRef) + ": that control is picked twice (letter case ignored)");
            request.picks.push_back(std::move(row));
        } else if (option == "--block") {
            if (blockSeen) throw UsageError("--block: given more than once");
            blockSeen = true;
            request.block = ParseBlock(reader.ValueOf(option, inlineValue));
        } else if (option == "--codepage") {
            SetOnce(request.codePage, ParseCodePage(reader.ValueOf(option, inlineValue)));
        } else if (option == "--robust" || option == "--plain") {
            // --robust asked for what is now the default text; scripts that pass it keep working.
            if (inlineValue) throw UsageError(option + ": takes no value");
            (option == "--plain" ? plain : robust) = true;
        } else if (option == "--target") {
            const std::string target = reader.ValueOf(option, inlineValue);
            if (target != "form" && target != "userform")
                throw UsageError("--target " + Quoted(target) + ": use form (a VB6 form) or userform (an Office UserForm)");
            if (request.target) throw UsageError("--target: given more than once");
            request.target = target == "userform" ? CodeTarget::kUserForm : CodeTarget::kVb6Form;
        } else if (option == "--resizable") {
            if (inlineValue) throw UsageError(option + ": takes no value");
            request.resizable = true;
        } else if (option == "--relative") {
            const std::string relative = reader.ValueOf(option, inlineValue);
            if (relative != "container" && relative != "form")
                throw UsageError("--relative " + Quoted(relative) + ": use container or form");
            request.followContainers = relative == "container";
        } else if (const auto valued = own.valued.find(option); valued != own.valued.end()) {
            if (*valued->second) throw UsageError(option + ": given more than once");
            *valued->second = reader.ValueOf(option, inlineValue);
        } else if (const auto flag = own.switches.find(option); flag != own.switches.end()) {
            if (inlineValue) throw UsageError(option + ": takes no value");
            if (*flag->second) throw UsageError(option + ": given more than once");
            *flag->second = true;
        } else if (!option.empty()) {
            throw UsageError(Quoted(arg) + ": unknown option for " + args.front());
        } else if (!request.project) {
            request.project = arg;
        } else {
            throw UsageError(Quoted(arg) + ": unexpected argument");
        }
    }
    if (!formName && !own.formOptional) throw UsageError(args.front() + ": --form NAME is required");
    if (plain && robust) throw UsageError("--plain and --robust: choose one (--robust is the default text)");
    request.plain = plain;
    if (plain && request.target == CodeTarget::kUserForm)
        throw UsageError("--plain: the original text is for VB6 forms, not UserForms");
    // Without a project, "" stands for the add-in with no form picked.
    if (formName && (request.project || !formName->empty()))
        CheckFormName(*formName, "--form", request.project.has_value());
    request.formName = formName.value_or("");
    if (!request.project)
        for (std::size_t i = 0; i < request.picks.size(); ++i)
            if (!IsControlReference(request.picks[i].controlRef, kWrittenName))
                FailReference(typed[i], request.picks[i].controlRef);
    if (request.codePage && !request.project) throw UsageError("--codepage: only with a PROJECT to read");
    if (request.followContainers && !request.project)
        throw UsageError("--relative container: only with a PROJECT, which says which control holds which");
    return request;
}

ProjectRequest ParseProjectCommand(const std::vector<std::string>& args, std::size_t expected, const char* usage,
                                   bool takesJson) {
    ProjectRequest request;
    ArgumentReader reader(args);
    while (!reader.Done()) {
        const std::string& arg = reader.Next();
        const auto [option, inlineValue] = Split(arg);
        if (option == "--codepage") {
            SetOnce(request.codePage, ParseCodePage(reader.ValueOf(option, inlineValue)));
        } else if (option == "--json" && takesJson) {
            if (inlineValue) throw UsageError("--json: takes no value");
            if (request.json) throw UsageError("--json: given more than once");
            request.json = true;
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

}  // namespace tolvane::cli
