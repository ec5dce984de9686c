#include "cli/Commands.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "cli/Arguments.h"
#include "host/Listing.h"
#include "host/files/Text.h"
#include "model/ResizeCode.h"
#include "vb/Names.h"

namespace tolvane::cli {
namespace {

namespace files = host::files;


std::string Location(const files::FileError& error) {
    return vb::Printable(error.File()) + (error.Line() > 0 ? ":" + std::to_string(error.Line()) : std::string());
}

std::string CodePageHint(const files::FileError& error) {
    if (error.CodePage() == 0) return {};
    const auto& pages = error.ReadableIn();
    if (pages.empty()) return " (see --codepage)";
    std::string hint = " (try --codepage " + std::to_string(pages.front());
    for (std::size_t i = 1; i < pages.size() && i < 4; ++i)
        hint += (i + 1 == pages.size() || i == 3 ? " or " : ", ") + std::to_string(pages[i]);
    return hint + ")";
}

}  // namespace

// Reads the project and reports the components left out as warnings, except the one named
// `needed`, which the command reports as its error if it needs it.
Project Open(const std::string& path, const std::optional<int>& codePage, const std::string& needed,
             std::ostream& err) {
    std::optional<files::CodePages> codePages;
    try {
        codePages.emplace(codePage ? files::CodePages(*codePage) : files::CodePages());
    } catch (const files::CodePageError& error) {
        throw UsageError(std::string("--codepage: ") + error.what());
    }
    const auto file = files::PathFromUtf8(path);
    files::ProjectRead read = files::ReadProject(file, *codePages);
    Project project{files::DisplayPath(file.lexically_normal()), read.project, nullptr, std::move(read.leftOut),
                    std::move(read.files)};
    project.host = host::memory::MemoryHost::Create(std::move(read.project), host::memory::FormCollection::EveryControl, true);
    for (const auto& left : project.leftOut)
        if (needed.empty() || !vb::SameNameIgnoringCase(left.name, needed))
            err << Location(left.reason) << ": warning: " << vb::Printable(left.reason.Problem())
                << CodePageHint(left.reason) << "\n";
    return project;
}

namespace {

std::string KindPhrase(std::int32_t type) {
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
    return host::IsPickableForm(type) || type == host::VBMDIForm || type == host::PropPage || type == host::UserControl ||
           type == host::DocObject;
}

// "its forms: A, B, ..." for an error message, the first few only.
std::string FormList(const std::vector<std::string>& forms) {
    if (forms.empty()) return " (the project has no forms)";
    std::string list;
    for (std::size_t i = 0; i < forms.size() && i < 10; ++i) list += (i ? ", " : "") + forms[i];
    if (forms.size() > 10) list += ", ... " + std::to_string(forms.size()) + " in all";
    return " (its forms: " + list + ")";
}

std::vector<host::ListedControl> ListControls(host::Root& root, const std::string& form) {
    std::vector<host::ListedControl> rows;
    host::ListFormControls(root, form, [&](const host::ListedControl& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

// The component as read, by the project's spelling of its name.
const host::memory::ComponentData& ComponentNamed(const Project& project, const std::string& name) {
    for (const auto& component : project.data.components)
        if (component.name == name) return component;
    throw std::logic_error("no component " + name);  // names come from the project itself
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

}  // namespace

std::string FindForm(const Project& project, const std::string& wanted, bool formsOnly) {
    auto components = project.host->ActiveVBProject()->VBComponents();
    std::vector<std::string> forms;
    const int count = components->Count();
    for (int i = 1; i <= count; ++i) {
        auto component = components->Item(i);
        const std::int32_t type = component->Type();
        const std::string name = component->Name();
        if (host::IsPickableForm(type)) forms.push_back(name);
        if (!vb::SameNameIgnoringCase(name, wanted)) continue;
        if (host::IsPickableForm(type) || (!formsOnly && HasControls(type))) return name;
        throw files::FileError(project.label, 0,
                               Quoted(name) + " is " + KindPhrase(type) +
                                   (formsOnly ? "; the add-in offers standard forms only" : ", not a form"));
    }
    for (const auto& left : project.leftOut)
        if (vb::SameNameIgnoringCase(left.name, wanted)) throw left.reason;
    std::string problem = "no form named " + Quoted(wanted) + FormList(forms);
    if (!project.leftOut.empty()) problem += "; files left out are listed above";
    throw files::FileError(project.label, 0, problem);
}

// The command has no 50-row grid: every control of the form is a row.
PickedForm PickFromProject(const GenerateRequest& request, std::ostream& err, preview::FormLayout* layout) {
    return PickFromProject(Open(*request.project, request.codePage, request.formName, err), request, layout);
}

PickedForm PickFromProject(const Project& project, const GenerateRequest& request, preview::FormLayout* layout) {
    PickedForm picked;
    picked.name = FindForm(project, request.formName, true);
    const host::memory::ComponentData& form = ComponentNamed(project, picked.name);
    picked.type = form.type;
    try {
        if (layout) *layout = preview::LayoutOf(form);
    } catch (const preview::LayoutError& error) {
        throw files::FileError(project.label, 0, error.what());
    }
    if (const auto found = form.properties.find("ScaleMode"); found != form.properties.end())
        picked.scaleMode = found->second.AsNumber();
    picked.listed = ListControls(*project.host, picked.name);
    const auto& listed = picked.listed;
    picked.rows.resize(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) picked.rows[i].controlRef = listed[i].controlRef;

    for (const ControlRow& pick : request.picks) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const host::ListedControl& row) {
            return vb::SameNameIgnoringCase(row.controlRef, pick.controlRef);
        });
        const std::string what = "--pick " + Quoted(pick.controlRef) + ": ";
        if (found == listed.end())
            throw files::FileError(project.label, 0,
                                   what + "form " + picked.name + " has no control " + Quoted(pick.controlRef));
        if (found->noPlace != vb::NoPlace::kNone)
            throw files::FileError(project.label, 0,
                                   what + found->controlRef + " (" + found->className +
                                       ") cannot be placed: " + vb::DescribeNoPlace(found->noPlace));
        ControlRow& row = picked.rows[static_cast<std::size_t>(found - listed.begin())];
        row = pick;
        row.controlRef = found->controlRef;  // the form's spelling of the name
    }
    return picked;
}

PickedForm PickedRows(const GenerateRequest& request, std::ostream& err) {
    if (request.project) return PickFromProject(request, err);
    return PickedForm{request.formName, request.picks, {}, vb::kTwips};
}

void CheckStems(const GenerateRequest& request, std::span<const ControlRow> rows, const CodeOptions& options) {
    const std::vector<std::string> stems = CodeStems(rows, options);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (vb::CharacterCount(stems[row]) <= MaxStemLength(options)) continue;
        const std::string problem = (IsSet(rows[row].included) ? "--pick " : "container ") +
                                    Quoted(rows[row].controlRef) + ": too long to name variables after (at most " +
                                    std::to_string(MaxStemLength(options)) + " characters, so that i + name + _ScaleHeight " +
                                    "stays within the " + std::to_string(vb::kMaxIdentifierLength) +
                                    " Visual Basic allows)";
        if (!request.project) throw UsageError(problem);  // the name was typed, not read
        throw std::runtime_error(problem);
    }
}

std::string Describe(const files::FileError& error) {
    return Location(error) + ": " + vb::Printable(error.Problem()) + CodePageHint(error);
}

int RunForms(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto request = ParseProjectCommand(args, 1, "quenlow forms PROJECT [--codepage N]");
    const Project project = Open(request.positional[0], request.codePage, "", err);
    host::ForEachProjectForm(*project.host, [&](const std::string& name) { out << name << "\n"; });
    return 0;
}

int RunControls(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const auto request = ParseProjectCommand(args, 2, "quenlow controls PROJECT FORM [--json] [--codepage N]", true);
    CheckFormName(request.positional[1], "FORM", true);
    const Project project = Open(request.positional[0], request.codePage, request.positional[1], err);
    const std::string form = FindForm(project, request.positional[1], false);
    const auto rows = ListControls(*project.host, form);
    if (request.json) {
        WriteControlsJson(ComponentNamed(project, form), rows, out);
        return 0;
    }
    for (const host::ListedControl& row : rows)
        out << std::string(2 * static_cast<std::size_t>(row.depth), ' ') << row.controlRef << "\n";
    return 0;
}

int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const GenerateRequest request = ParseGenerate(args);
    const PickedForm form = PickedRows(request, err);
    const CodeOptions options = OptionsFor(request, form, err);
    CheckStems(request, form.rows, options);
    WriteGenerated(GenerateResizeCode(form.name, form.rows, options), request.block, out);
    return 0;
}

}  // namespace tolvane::cli
