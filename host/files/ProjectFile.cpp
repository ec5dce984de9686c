// The .vbp project file: component entries in file order, their files found relative to
// the project's folder. Values are decoded from the project's code page before they are
// split on '\', since a DBCS trail byte can be 0x5C; each path component is then looked up
// ignoring case, as Windows would.
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "host/files/Lexing.h"
#include "host/files/ProjectFiles.h"
#include "host/files/Text.h"
#include "vb/Names.h"

namespace tolvane::host::files {

using vb::FoldCase;
using vb::IsVbIdentifier;
using vb::Printable;
namespace {

using detail::KeywordIs;
using detail::Quote;
using detail::Trim;
namespace fs = std::filesystem;

// What a component entry of the .vbp expects of its file.
struct EntryKind {
    std::string_view key;
    std::int32_t type;  // ComponentType, or 0 for Form= (decided by the file's root)
    std::string_view rootClass;
};

constexpr EntryKind kDesignerEntries[] = {
    {"Form", 0, "VB.Form or VB.MDIForm"},
    {"UserControl", ComponentType::UserControl, "VB.UserControl"},
    {"PropertyPage", ComponentType::PropPage, "VB.PropertyPage"},
    {"UserDocument", ComponentType::DocObject, "VB.UserDocument"},
    {"Designer", ComponentType::ActiveXDesigner, ""},
};

// The component type a designer root gives for an entry of `kind`, or 0 when they disagree.
std::int32_t TypeFor(const EntryKind& kind, const std::string& rootClass) {
    if (kind.type == 0) {
        if (KeywordIs(rootClass, "VB.Form")) return ComponentType::VBForm;
        if (KeywordIs(rootClass, "VB.MDIForm")) return ComponentType::VBMDIForm;
        return 0;
    }
    if (kind.rootClass.empty() || KeywordIs(rootClass, kind.rootClass)) return kind.type;
    return 0;
}

// Finds `relative` (components separated by '\' or '/') below `folder`, matching each
// component exactly first and else ignoring case. Sets `problem` when it is not found.
std::optional<fs::path> Resolve(const fs::path& folder, std::string_view relative, std::string& problem) {
    fs::path current = folder;
    std::size_t pos = 0;
    bool first = true;
    while (pos <= relative.size()) {
        std::size_t end = relative.find_first_of("\\/", pos);
        if (end == std::string_view::npos) end = relative.size();
        const std::string_view part = relative.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) {
            if (first && end < relative.size()) {
                problem = "a path from the root of a drive cannot be resolved";
                return std::nullopt;
            }
            first = false;
            continue;
        }
        // A drive letter ("C:") starts at that drive's root.
        if (first && part.size() == 2 && part[1] == ':') {
            current = PathFromUtf8(std::string(part) + "/");
            first = false;
            continue;
        }
        first = false;
        if (part == ".") continue;
        if (part == "..") {
            current /= "..";
            continue;
        }
        std::error_code error;
        const fs::path exact = current / PathFromUtf8(part);
        if (fs::exists(exact, error)) {
            current = exact;
            continue;
        }
        // Not there as written: look for the one entry that differs only in case.
        const std::string wanted = FoldCase(part);
        std::optional<fs::path> match;
        fs::directory_iterator it(current.empty() ? fs::path(".") : current, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            const std::string name = Utf8FromPath(it->path().filename());
            if (FoldCase(name) != wanted) continue;
            if (match) {
                problem = "more than one file matches " + Quote(Printable(part)) + " when letter case is ignored";
                return std::nullopt;
            }
            match = current / it->path().filename();
        }
        if (!match) {
            problem = "file not found";
            return std::nullopt;
        }
        current = *match;
    }
    std::error_code error;
    if (!fs::is_regular_file(current, error)) {
        problem = "not a file";
        return std::nullopt;
    }
    return current;
}

std::string Label(const fs::path& path) { return Utf8FromPath(path.lexically_normal()); }

class ProjectReader {
public:
    ProjectReader(const fs::path& file, const CodePage& codePage)
        : file_(file), label_(Label(file)), codePage_(codePage), folder_(file.parent_path()) {}

    memory::ProjectSpec Read() {
        const std::string bytes = detail::ReadFileBytes(file_, label_);
        detail::Lines lines(bytes);
        std::string_view raw;
        bool typeSeen = false;
        while (lines.Next(raw)) {
            line_ = lines.Number();
            if (raw.find('\0') != std::string_view::npos) Fail("binary data (a NUL byte): not a Visual Basic project file");
            const std::string_view line = Trim(raw);
            if (line.empty()) continue;
            // Sections ("[MS Transaction Server]", add-ins' own) close the project's keys.
            if (line.front() == '[' && line.back() == ']') break;
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                Fail("malformed line (expected Key=Value): not a Visual Basic project file");
            const std::string_view key = Trim(line.substr(0, equals));
            const std::string_view value = Trim(line.substr(equals + 1));
            if (key.empty()) Fail("malformed line (no key before \"=\")");
            if (KeywordIs(key, "Type")) typeSeen = true;
            if (KeywordIs(key, "Module")) AddCodeModule(value, ComponentType::StdModule);
            else if (KeywordIs(key, "Class")) AddCodeModule(value, ComponentType::ClassModule);
            else
                for (const EntryKind& kind : kDesignerEntries)
                    if (KeywordIs(key, kind.key)) AddDesigner(kind, value);
        }
        if (!typeSeen) throw FileError(label_, 0, "not a Visual Basic project file (no Type= line)");
        return std::move(project_);
    }

private:
    [[noreturn]] void Fail(const std::string& problem) const { throw FileError(label_, line_, problem); }

    std::string Decode(std::string_view bytes, const char* what) const {
        auto text = codePage_.ToUtf8(bytes);
        if (!text)
            Fail(std::string(what) + " " + Quote(Printable(bytes)) + " cannot be read in code page " +
                 std::to_string(codePage_.Number()) + " (see --codepage)");
        return *text;
    }

    fs::path Find(std::string_view key, std::string_view value) const {
        const std::string relative = Decode(value, "path");
        if (relative.empty()) Fail(std::string(key) + "= entry without a path");
        std::string problem;
        auto found = Resolve(folder_, relative, problem);
        if (!found) Fail(std::string(key) + " " + Quote(Printable(relative)) + ": " + problem);
        return *found;
    }

    void Add(memory::ComponentSpec component) {
        const std::string folded = FoldCase(component.name);
        auto [found, added] = names_.emplace(folded, line_);
        if (!added)
            Fail("component name " + Quote(component.name) + " is used twice (also at line " +
                 std::to_string(found->second) + ")");
        project_.components.push_back(std::move(component));
    }

    // "Module=Name; path" and "Class=Name; path".
    void AddCodeModule(std::string_view value, std::int32_t type) {
        const std::size_t semicolon = value.find(';');
        const char* key = type == ComponentType::StdModule ? "Module" : "Class";
        if (semicolon == std::string_view::npos) Fail(std::string(key) + "= entry must be \"Name; path\"");
        const std::string name = Decode(Trim(value.substr(0, semicolon)), "module name");
        if (!IsVbIdentifier(name)) Fail(std::string(key) + " name " + Quote(Printable(name)) + " is not a Visual Basic identifier");
        Find(key, Trim(value.substr(semicolon + 1)));
        memory::ComponentSpec component;
        component.name = name;
        component.type = type;
        component.hasFormDesigner = false;
        Add(std::move(component));
    }

    void AddDesigner(const EntryKind& kind, std::string_view value) {
        const fs::path path = Find(kind.key, value);
        const std::string label = Label(path);
        DesignerFile designer = ParseDesigner(detail::ReadFileBytes(path, label), label, codePage_);
        const std::int32_t type = TypeFor(kind, designer.rootClass);
        if (type == 0)
            throw FileError(label, designer.rootLine,
                            "the designer is " + designer.rootClass + ", but the project lists it as " +
                                std::string(kind.key) + "= (" + std::string(kind.rootClass) + ")");
        Add(memory::ComponentSpec{designer.name, type, std::move(designer.controls),
                                  type != ComponentType::ActiveXDesigner});
    }

    fs::path file_;
    std::string label_;
    const CodePage& codePage_;
    fs::path folder_;
    int line_ = 0;
    memory::ProjectSpec project_;
    std::map<std::string, int> names_;  // folded component name -> .vbp line
};

memory::ProjectSpec ReadLoneDesigner(const fs::path& file, const EntryKind& kind, const CodePage& codePage) {
    const std::string label = Label(file);
    DesignerFile designer = ParseDesigner(detail::ReadFileBytes(file, label), label, codePage);
    const std::int32_t type = TypeFor(kind, designer.rootClass);
    if (type == 0)
        throw FileError(label, designer.rootLine,
                        "the designer is " + designer.rootClass + ", expected " + std::string(kind.rootClass));
    memory::ProjectSpec project;
    project.components.push_back(
        memory::ComponentSpec{designer.name, type, std::move(designer.controls), type != ComponentType::ActiveXDesigner});
    return project;
}

}  // namespace

memory::ProjectSpec ReadProject(const fs::path& file, const CodePage& codePage) {
    const std::string extension = Utf8FromPath(file.extension());
    if (KeywordIs(extension, ".vbp")) return ProjectReader(file, codePage).Read();
    if (KeywordIs(extension, ".frm")) return ReadLoneDesigner(file, kDesignerEntries[0], codePage);
    if (KeywordIs(extension, ".ctl")) return ReadLoneDesigner(file, kDesignerEntries[1], codePage);
    if (KeywordIs(extension, ".pag")) return ReadLoneDesigner(file, kDesignerEntries[2], codePage);
    if (KeywordIs(extension, ".dob")) return ReadLoneDesigner(file, kDesignerEntries[3], codePage);
    if (KeywordIs(extension, ".dsr")) return ReadLoneDesigner(file, kDesignerEntries[4], codePage);
    throw FileError(Label(file), 0, "not a project: give a .vbp file or a designer file (.frm, .ctl, .pag, .dob, .dsr)");
}

std::shared_ptr<memory::MemoryHost> OpenProject(const fs::path& file, const CodePage& codePage) {
    return memory::MemoryHost::Create(ReadProject(file, codePage), memory::FormCollection::EveryControl, true);
}

}  // namespace tolvane::host::files
