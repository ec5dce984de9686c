// The .vbp project file: component entries in file order, their files found relative to
// the project's folder. Values are decoded from the project's code page before they are
// split on '\', since a DBCS trail byte can be 0x5C. A component that cannot be read is
// left out and reported, as the IDE reports it and opens the project without it.
#include <map>
#include <optional>
#include <vector>

#include "host/files/CodePageCommon.h"
#include "host/files/Decoding.h"
#include "host/files/DesignerStructure.h"
#include "host/files/Lexing.h"
#include "host/files/PathResolution.h"
#include "host/files/ProjectFiles.h"

#include "host/files/CodeSection.h"
#include "host/files/ProjectSources.h"
#include "host/files/Text.h"
#include "host/files/UserForms.h"
#include "vb/Names.h"

namespace tolvane::host::files {
namespace {

using vb::SameKeyword;
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
constexpr EntryKind kModule{"Module", ComponentType::StdModule, ""};
constexpr EntryKind kClass{"Class", ComponentType::ClassModule, ""};

// The component type a designer root gives for an entry of `kind`, or 0 when they disagree.
std::int32_t TypeFor(const EntryKind& kind, std::string_view rootClass) {
    if (kind.type == 0) {
        if (SameKeyword(rootClass, "VB.Form")) return ComponentType::VBForm;
        if (SameKeyword(rootClass, "VB.MDIForm")) return ComponentType::VBMDIForm;
        return 0;
    }
    if (kind.rootClass.empty() || SameKeyword(rootClass, kind.rootClass)) return kind.type;
    return 0;
}

bool IsDesignerKind(const EntryKind& kind) { return kind.type != kModule.type && kind.type != kClass.type; }

std::string Label(const fs::path& path) { return DisplayPath(path.lexically_normal()); }

const std::string kTooLong = "longer than " + std::to_string(kMaxPathLength) + " characters";

// One component entry of the .vbp and what became of it.
struct Slot {
    const EntryKind* kind = nullptr;
    std::string_view value;  // bytes after "=" (the path, or "Name; path")
    int line = 0;
    fs::path file;
    std::string label;  // of the file, once found
    std::optional<detail::DesignerStructure> structure;
    std::int32_t type = 0;
    int codePage = 0;  // of the names, once decoded
    std::optional<memory::ComponentData> component;
    std::optional<LeftOutComponent> leftOut;
};

class ProjectReader {
public:
    ProjectReader(const fs::path& file, const CodePages& codePages)
        : file_(file), label_(Label(file)), codePages_(codePages), folder_(file.parent_path()) {
        if (codePages.Forced()) projectCodePage_ = *codePages.Forced();
    }

    ProjectRead Read() {
        const std::string bytes = detail::ReadFileBytes(file_, label_);
        ReadEntries(bytes);
        // Files at ASCII paths first: what they declare is the code page of the other paths.
        for (Slot& slot : slots_)
            if (IsDesignerKind(*slot.kind) && detail::IsAscii(slot.value)) LoadDesigner(slot);
        for (Slot& slot : slots_)
            if (IsDesignerKind(*slot.kind) && !detail::IsAscii(slot.value)) LoadDesigner(slot);
        for (Slot& slot : slots_) {
            if (slot.structure) DecodeDesigner(slot);
            else if (!IsDesignerKind(*slot.kind) && !slot.leftOut) AddCodeModule(slot);
        }
        return Assemble();
    }

private:
    [[noreturn]] void Fail(int line, const std::string& problem) const { throw FileError(label_, line, problem); }

    // The code page of the .vbp's paths and names, and of designer files that declare none.
    // Always one that can be opened.
    int ProjectCodePage() const { return projectCodePage_ != 0 ? projectCodePage_ : kDefaultCodePage; }

    void AdoptCodePage(int number) {
        try {
            codePages_.Get(number);
            projectCodePage_ = number;
        } catch (const CodePageError&) {
            // not available here: the files that declare it say so when they are decoded
        }
    }

    void LeaveOut(Slot& slot, FileError reason, std::string name = {}) {
        slot.leftOut = LeftOutComponent{std::move(name), std::move(reason)};
    }

    void ReadEntries(std::string_view bytes) {
        detail::Lines lines(bytes);
        std::string_view raw;
        bool typeSeen = false;
        while (lines.Next(raw)) {
            const int number = lines.Number();
            if (raw.find('\0') != std::string_view::npos)
                Fail(number, "binary data (a NUL byte): not a Visual Basic project file");
            const std::string_view line = Trim(raw);
            if (line.empty()) continue;
            // Sections ("[MS Transaction Server]", add-ins' own) close the project's keys.
            if (line.front() == '[' && line.back() == ']') break;
            const std::size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                Fail(number, "malformed line (expected Key=Value): not a Visual Basic project file");
            const std::string_view key = Trim(line.substr(0, equals));
            const std::string_view value = Trim(line.substr(equals + 1));
            if (key.empty()) Fail(number, "malformed line (no key before \"=\")");
            if (SameKeyword(key, "Type")) typeSeen = true;
            const EntryKind* kind = SameKeyword(key, kModule.key) ? &kModule : SameKeyword(key, kClass.key) ? &kClass : nullptr;
            for (const EntryKind& designer : kDesignerEntries)
                if (SameKeyword(key, designer.key)) kind = &designer;
            if (!kind) continue;
            Slot& slot = slots_.emplace_back();
            slot.kind = kind;
            slot.value = value;
            slot.line = number;
        }
        if (!typeSeen) Fail(0, "not a Visual Basic project file (no Type= line)");
    }

    // The file a path entry names, or the slot is left out: no file, or two files matching
    // the path when letter case is ignored (the project cannot say which it means).
    std::optional<fs::path> Locate(Slot& slot, std::string_view path) {
        const std::string key(slot.kind->key);
        if (path.empty()) {
            LeaveOut(slot, FileError(label_, slot.line, key + "= entry without a path"));
            return std::nullopt;
        }
        if (path.size() > 2 * kMaxPathLength) {  // no ANSI character takes more than two bytes
            LeaveOut(slot, FileError(label_, slot.line, key + " " + Quote(vb::PrintablePrefix(path)) + ": " + kTooLong));
            return std::nullopt;
        }
        std::optional<std::string> text;
        detail::Resolution found;
        if (detail::IsAscii(path) || projectCodePage_ != 0) {
            const CodePage& codePage = codePages_.Get(ProjectCodePage());
            text = codePage.ToUtf8(path);
            if (!text) {
                LeaveOut(slot, detail::UnreadableText(path, key + " path", codePage, codePages_, label_, slot.line));
                return std::nullopt;
            }
            if (vb::CharacterCount(*text) <= kMaxPathLength) found = detail::Resolve(folder_, *text, &folders_);
        } else {
            text = FindInCodePages(path, found);
        }
        const std::string where = key + " " + Quote(vb::PrintablePrefix(text ? *text : path));
        if (text && vb::CharacterCount(*text) > kMaxPathLength) {
            LeaveOut(slot, FileError(label_, slot.line, where + ": " + kTooLong));
            return std::nullopt;
        }
        if (found.outcome != detail::Resolution::Outcome::Found) {
            LeaveOut(slot, FileError(label_, slot.line, where + ": " + found.problem));
            return std::nullopt;
        }
        return found.file;
    }

    // A path that is not ASCII before any file declared the project's code page: read in
    // 1252, then in each charset's code page; the first reading that names a file sets the
    // project's code page. Returns the 1252 reading when none does.
    std::optional<std::string> FindInCodePages(std::string_view path, detail::Resolution& found) {
        std::vector<int> candidates{kDefaultCodePage};
        candidates.insert(candidates.end(), CharsetCodePages().begin(), CharsetCodePages().end());
        std::optional<std::string> western;
        for (const int number : candidates) {
            std::optional<std::string> text;
            try {
                text = codePages_.Get(number).ToUtf8(path);
            } catch (const CodePageError&) {
                continue;  // not available here
            }
            if (!text || vb::CharacterCount(*text) > kMaxPathLength) continue;
            if (number == kDefaultCodePage) western = text;
            found = detail::Resolve(folder_, *text, &folders_);
            if (found.outcome == detail::Resolution::Outcome::NotFound) continue;
            if (number != kDefaultCodePage) AdoptCodePage(number);
            return text;
        }
        found = detail::Resolution{detail::Resolution::Outcome::NotFound, {}, "file not found"};
        return western;
    }

    // The name a designer structure gives its component, when it reads as one.
    std::string NameOf(const detail::DesignerStructure& structure) const {
        const std::string& bytes = structure.vbName.empty() ? structure.rootName : structure.vbName;
        try {
            const CodePage& codePage = codePages_.Get(detail::NameCodePage(structure, codePages_, ProjectCodePage()));
            return detail::IdentifierIn(bytes, codePage).value_or("");
        } catch (const CodePageError&) {
            return {};
        }
    }

    // Finds and reads the structure of a designer entry's file.
    void LoadDesigner(Slot& slot) {
        const auto path = Locate(slot, slot.value);
        if (!path) return;
        slot.file = *path;
        slot.label = Label(*path);
        // A file named twice is read once: the later entry is left out before it is read.
        std::error_code error;
        const fs::path place = fs::weakly_canonical(*path, error);
        std::string key = Utf8FromPath(error ? *path : place);
#ifdef _WIN32
        key = vb::FoldCase(key);  // Windows' file names ignore letter case
#endif
        const auto [earlier, first] = loaded_.emplace(key, slot.line);
        if (!first) {
            LeaveOut(slot, FileError(label_, slot.line,
                                     std::string(slot.kind->key) + " " + Quote(vb::PrintablePrefix(slot.value)) +
                                         ": the same file as line " + std::to_string(earlier->second)));
            return;
        }
        const std::uintmax_t size = fs::file_size(*path, error);
        if (!error && bytesRead_ + size > kMaxProjectBytes) {
            LeaveOut(slot, FileError(label_, slot.line,
                                     "the project's designer files hold more than " +
                                         std::to_string(kMaxProjectBytes / (1024 * 1024)) + " MB: " +
                                         Quote(vb::PrintablePrefix(slot.value)) + " is left out"));
            return;
        }
        bytesRead_ += error ? 0 : size;
        detail::DesignerStructure structure;
        try {
            detail::ReadDesignerStructure(detail::ReadFileBytes(*path, slot.label), slot.label, structure);
        } catch (const FileError& error) {
            LeaveOut(slot, error, NameOf(structure));
            return;
        }
        slot.type = TypeFor(*slot.kind, structure.rootClass);
        if (slot.type == 0) {
            LeaveOut(slot,
                     FileError(slot.label, structure.rootLine,
                               "the designer is " + vb::PrintablePrefix(structure.rootClass) +
                                   ", but the project lists it as " + std::string(slot.kind->key) + "= (" +
                                   std::string(slot.kind->rootClass) + ")"),
                     NameOf(structure));
            return;
        }
        if (projectCodePage_ == 0 && structure.declaredCodePage != 0) AdoptCodePage(structure.declaredCodePage);
        slot.structure = std::move(structure);
    }

    void DecodeDesigner(Slot& slot) {
        const std::string name = NameOf(*slot.structure);
        const int codePage = detail::NameCodePage(*slot.structure, codePages_, ProjectCodePage());
        try {
            DesignerFile designer = detail::DecodeDesigner(std::move(*slot.structure), slot.label, codePage, codePages_);
            slot.codePage = codePage;
            slot.component = memory::ComponentData{designer.name, slot.type, std::move(designer.controls),
                                                   slot.type != ComponentType::ActiveXDesigner,
                                                   std::move(designer.properties)};
        } catch (const FileError& error) {
            LeaveOut(slot, error, name);
        }
        slot.structure.reset();
    }

    // "Module=Name; path" and "Class=Name; path". The file is found, not read.
    void AddCodeModule(Slot& slot) {
        const std::string key(slot.kind->key);
        const std::size_t semicolon = slot.value.find(';');
        if (semicolon == std::string_view::npos) {
            LeaveOut(slot, FileError(label_, slot.line, key + "= entry must be \"Name; path\""));
            return;
        }
        std::string name;
        try {
            name = detail::DecodeIdentifier(Trim(slot.value.substr(0, semicolon)), key + " name",
                                            codePages_.Get(ProjectCodePage()), codePages_, label_, slot.line);
        } catch (const FileError& error) {
            LeaveOut(slot, error);
            return;
        }
        if (!Locate(slot, Trim(slot.value.substr(semicolon + 1)))) {
            slot.leftOut->name = name;
            return;
        }
        slot.component = memory::ComponentData{name, slot.kind->type, {}, false};
    }

    // The components in project order; a name used twice keeps its first component.
    ProjectRead Assemble() {
        ProjectRead read;
        std::map<std::string, int> names;  // folded component name -> .vbp line
        for (Slot& slot : slots_) {
            if (slot.component) {
                auto [found, added] = names.emplace(vb::FoldCase(slot.component->name), slot.line);
                if (added) {
                    if (slot.codePage != 0)
                        read.files.push_back(ComponentFile{slot.component->name, slot.type, slot.file, slot.codePage});
                    read.project.components.push_back(std::move(*slot.component));
                    continue;
                }
                LeaveOut(slot,
                         FileError(label_, slot.line,
                                   "component name " + Quote(slot.component->name) + " is used twice (also at line " +
                                       std::to_string(found->second) + ")"),
                         slot.component->name);
            }
            if (slot.leftOut) read.leftOut.push_back(std::move(*slot.leftOut));
        }
        return read;
    }

    fs::path file_;
    std::string label_;
    const CodePages& codePages_;
    fs::path folder_;
    detail::FolderIndex folders_;  // each folder listed once
    std::map<std::string, int> loaded_;  // the designer files read, by their place on disk, and the .vbp line
    std::uintmax_t bytesRead_ = 0;    // what the designer files read so far hold
    int projectCodePage_ = 0;  // 0 until forced, declared by a file, or found by a path
    std::vector<Slot> slots_;
};

ProjectRead ReadLoneDesigner(const fs::path& file, const EntryKind& kind, const CodePages& codePages) {
    const std::string label = Label(file);
    DesignerFile designer = ParseDesigner(detail::ReadFileBytes(file, label), label, codePages);
    ProjectRead read;
    if (kind.type == 0 && IsUserFormClass(designer.rootClass)) {  // an exported UserForm: controls in its .frx
        read.project.components.push_back(UserFormComponent(ReadExportedUserForm(file, designer, codePages)));
        read.files.push_back(ComponentFile{read.project.components.back().name, ComponentType::MSForm, file,
                                           designer.codePage});
        return read;
    }
    const std::int32_t type = TypeFor(kind, designer.rootClass);
    if (type == 0)
        throw FileError(label, designer.rootLine,
                        "the designer is " + designer.rootClass + ", expected " + std::string(kind.rootClass));
    read.files.push_back(ComponentFile{designer.name, type, file, designer.codePage});
    read.project.components.push_back(
        memory::ComponentData{designer.name, type, std::move(designer.controls), type != ComponentType::ActiveXDesigner,
                              std::move(designer.properties)});
    return read;
}

}  // namespace

ProjectRead detail::ReadLoneForm(const fs::path& file, const CodePages& codePages) {
    return ReadLoneDesigner(file, kDesignerEntries[0], codePages);
}

ProjectRead ReadProject(const fs::path& file, const CodePages& codePages) {
    const std::string label = Label(file);
    if (vb::CharacterCount(label) > kMaxPathLength)
        throw FileError(vb::PrintablePrefix(label), 0, "path " + kTooLong);
    const std::string extension = Utf8FromPath(file.extension());
    if (SameKeyword(extension, ".vbp")) return ProjectReader(file, codePages).Read();
    if (IsOfficeDocument(file)) return ReadDocument(file, codePages);
    if (std::error_code error; fs::is_directory(file, error)) return ReadFolder(file, codePages);
    constexpr std::string_view kExtensions[] = {".frm", ".ctl", ".pag", ".dob", ".dsr"};  // as kDesignerEntries
    for (std::size_t i = 0; i < std::size(kExtensions); ++i)
        if (SameKeyword(extension, kExtensions[i])) return ReadLoneDesigner(file, kDesignerEntries[i], codePages);
    throw FileError(label, 0,
                    "not a project: give a .vbp file, a designer file (.frm, .ctl, .pag, .dob, .dsr), a folder of "
                    "exported forms or an Office document with macros (.xlsm, .docm, ...)");
}

OpenedProject OpenProject(const fs::path& file, const CodePages& codePages) {
    ProjectRead read = ReadProject(file, codePages);
    ReadCodeModules(read, codePages);
    return OpenedProject{
        memory::MemoryHost::Create(std::move(read.project), memory::FormCollection::EveryControl, true),
        std::move(read.leftOut)};
}

}  // namespace tolvane::host::files
