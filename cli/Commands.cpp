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


// Controls that have no Left, Top, Width or Height at run time: code that sets them fails.
constexpr std::string_view kUnplacedClasses[] = {"VB.Menu", "VB.Timer", "VB.Line"};

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

// The class of the control `ref` ("Name" or "Name(3)") of a form, or "" when not found.
std::string ClassOf(const std::vector<host::memory::ControlData>& controls, const std::string& ref) {
    for (const auto& control : controls) {
        if (vb::ControlReference(control.name, control.index) == ref) return control.className;
        if (std::string found = ClassOf(control.children, ref); !found.empty()) return found;
    }
    return {};
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
        if (type == host::VBForm) forms.push_back(name);
        if (!vb::SameNameIgnoringCase(name, wanted)) continue;
        if (type == host::VBForm || (!formsOnly && HasControls(type))) return name;
        throw files::FileError(project.label, 0,
                               Quoted(name) + " is " + Article(type) +
                                   (formsOnly ? "; the add-in offers standard forms only" : ", not a form"));
    }
    for (const auto& left : project.leftOut)
        if (vb::SameNameIgnoringCase(left.name, wanted)) throw left.reason;
    std::string problem = "no form named " + Quoted(wanted) + FormList(forms);
    if (!project.leftOut.empty()) problem += "; files left out are listed above";
    throw files::FileError(project.label, 0, problem);
}

// The command has no 50-row grid: every control of the form is a row.
std::vector<ControlRow> RowsFromProject(const GenerateRequest& request, std::string& formName, std::ostream& err,
                                        preview::FormLayout* layout) {
    return RowsFromProject(Open(*request.project, request.codePage, request.formName, err), request, formName, layout);
}

std::vector<ControlRow> RowsFromProject(const Project& project, const GenerateRequest& request, std::string& formName,
                                        preview::FormLayout* layout) {
    formName = FindForm(project, request.formName, true);
    const host::memory::ComponentData& form = ComponentNamed(project, formName);
    if (layout) *layout = preview::LayoutOf(form);
    const auto listed = ListControls(*project.host, formName);
    std::vector<ControlRow> rows(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) rows[i].controlRef = listed[i].controlRef;

    for (const ControlRow& pick : request.picks) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const host::ListedControl& row) {
            return vb::SameNameIgnoringCase(row.controlRef, pick.controlRef);
        });
        if (found == listed.end())
            throw files::FileError(project.label, 0,
                                   "--pick " + Quoted(pick.controlRef) + ": form " + formName + " has no control " +
                                       Quoted(pick.controlRef));
        const std::string className = ClassOf(form.controls, found->controlRef);
        for (const auto unplaced : kUnplacedClasses)
            if (vb::SameNameIgnoringCase(className, unplaced))
                throw files::FileError(project.label, 0,
                                       "--pick " + Quoted(pick.controlRef) + ": " + found->controlRef + " is a " +
                                           className + ", which has no position or size at run time");
        ControlRow& row = rows[static_cast<std::size_t>(found - listed.begin())];
        row = pick;
        row.controlRef = found->controlRef;  // the form's spelling of the name
    }
    return rows;
}

void CheckStems(const GenerateRequest& request, std::span<const ControlRow> rows, const CodeVariant& variant) {
    const std::vector<std::string> stems = VariantStems(rows, variant);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (vb::CharacterCount(stems[row]) <= kMaxStemLength) continue;
        const std::string problem = (IsSet(rows[row].included) ? "--pick " : "container ") +
                                    Quoted(rows[row].controlRef) + ": too long to name variables after (at most " +
                                    std::to_string(kMaxStemLength) + " characters, so that i + name + _ScaleHeight " +
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
    const auto request = ParseProjectCommand(args, 2, "quenlow controls PROJECT FORM [--codepage N]");
    CheckFormName(request.positional[1], "FORM", true);
    const Project project = Open(request.positional[0], request.codePage, request.positional[1], err);
    const std::string form = FindForm(project, request.positional[1], false);
    const auto rows = ListControls(*project.host, form);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << std::string(2 * static_cast<std::size_t>(rows[i].depth), ' ') << rows[i].controlRef << "\n";
        if (i + 1 == static_cast<std::size_t>(RowCapacity) && rows.size() > i + 1) {
            const std::size_t more = rows.size() - RowCapacity;
            out << "(" << more << " more control" << (more == 1 ? "" : "s") << ": the add-in's grid shows the first "
                << RowCapacity << ")\n";
        }
    }
    return 0;
}

int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const GenerateRequest request = ParseGenerate(args);
    std::string formName = request.formName;
    preview::FormLayout layout;
    // Without a project the picks are the rows, as many as given.
    const std::vector<ControlRow> rows = request.project ? RowsFromProject(request, formName, err, &layout) : request.picks;
    const CodeVariant variant = VariantFor(request, rows, layout, err);
    CheckStems(request, rows, variant);
    WriteGenerated(GenerateResizeCode(formName, rows, variant), request.block, out);
    return 0;
}

}  // namespace tolvane::cli
