// libFuzzer target over everything that takes outside text: the designer and project
// readers, the Office readers (compound files, zip, the forms binary, VBA projects, exported
// UserForms), the listing, the generator and the command line (cli::Run in-process).
//
// An input is a command line and a few files:
//     ARG \0 ARG \0 ... ARG          the command line, NUL-separated
//     \n@@ PATH \n BYTES             a file, as often as wanted (PATH relative, '/' between folders)
// Each run writes the files into a scratch folder (the working directory during the run), reads
// every designer file and the first project or designer file, lists and generates for its
// forms (the plain and the default text, following the form or containers, run on the form by
// the evaluator and drawn as well-formed SVG), and runs the command line there. Besides crashes, it stops on any broken promise:
// a name that is not a checked name, a generated line without CR LF, a diagnostic that is
// not one printable line, an exit status other than 0, 1, 2, output after a usage error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "host/Listing.h"
#include "host/files/ProjectFiles.h"
#include "host/files/Text.h"
#include "host/files/UserForms.h"
#include "host/files/office/CompoundFile.h"
#include "host/files/office/FormsBinary.h"
#include "host/files/office/VbaProject.h"
#include "host/files/office/Zip.h"
#include "model/ResizeCode.h"
#include "preview/Preview.h"
#include "vb/Names.h"

namespace {

namespace fs = std::filesystem;
namespace files = tolvane::host::files;

constexpr std::string_view kFileMarker = "\n@@ ";
constexpr std::size_t kMaxFiles = 8;

[[noreturn]] void Broken(const char* promise, std::string_view detail) {
    std::fprintf(stderr, "broken promise: %s: %s\n", promise, tolvane::vb::PrintablePrefix(detail, 400).c_str());
    std::abort();
}

struct File {
    std::string path;  // sanitised, relative
    std::string_view bytes;
};

// Keeps a path inside the scratch folder: letters, digits and ._- in each of at most three
// components, no "." or ".." component.
std::string Sanitise(std::string_view path) {
    std::string out;
    int components = 0;
    std::string part;
    auto flush = [&] {
        if (part.empty() || part == "." || part == ".." || components == 3) {
            part.clear();
            return;
        }
        out += (out.empty() ? "" : "/") + part;
        ++components;
        part.clear();
    };
    for (const char c : path.substr(0, 120)) {
        if (c == '/') flush();
        else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-')
            part += c;
    }
    flush();
    return out;
}

void Split(std::string_view input, std::vector<std::string>& args, std::vector<File>& files) {
    std::size_t end = input.find(kFileMarker);
    std::string_view command = input.substr(0, end);
    for (std::size_t start = 0; start <= command.size() && args.size() < 64;) {
        const std::size_t nul = command.find('\0', start);
        args.emplace_back(command.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start));
        if (nul == std::string_view::npos) break;
        start = nul + 1;
    }
    if (args.size() == 1 && args[0].empty()) args.clear();
    while (end != std::string_view::npos && files.size() < kMaxFiles) {
        const std::size_t nameStart = end + kFileMarker.size();
        const std::size_t nameEnd = input.find('\n', nameStart);
        if (nameEnd == std::string_view::npos) break;
        end = input.find(kFileMarker, nameEnd);
        const std::string path = Sanitise(input.substr(nameStart, nameEnd - nameStart));
        const std::string_view bytes = input.substr(nameEnd + 1, end == std::string_view::npos ? end : end - nameEnd - 1);
        if (!path.empty()) files.push_back(File{path, bytes});
    }
}

bool HasExtension(const std::string& path, const char* const* extensions) {
    const std::string extension = fs::path(path).extension().string();
    for (; *extensions; ++extensions)
        if (tolvane::vb::SameKeyword(extension, *extensions)) return true;
    return false;
}

const char* const kDesignerExtensions[] = {".frm", ".ctl", ".pag", ".dob", ".dsr", nullptr};
const char* const kOfficeExtensions[] = {".frx", ".bin", ".xlsm", ".xls", ".docm", ".doc", nullptr};
const char* const kProjectExtensions[] = {".vbp", ".frm", ".ctl", ".pag", ".dob", ".dsr", nullptr};

// A name read from a file: valid UTF-8 needing no escape, ASCII characters only letters,
// digits and _, a letter first (double-byte characters of East Asian code pages are letters).
void CheckName(const std::string& name) {
    if (name.empty() || tolvane::vb::Printable(name) != name) Broken("name is printable", name);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) continue;
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && (i == 0 || !((c >= '0' && c <= '9') || c == '_'))) Broken("name is an identifier", name);
    }
}

void CheckControls(const std::vector<tolvane::host::memory::ControlData>& controls) {
    for (const auto& control : controls) {
        CheckName(control.name);
        if (control.index < -1 || control.index > 32767) Broken("index in range", control.name);
        CheckControls(control.children);
    }
}

// Every line of a block ends with CR LF, and no CR or LF stands alone.
void CheckBlock(const std::string& block) {
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (block[i] == '\r' && (i + 1 == block.size() || block[i + 1] != '\n')) Broken("CR only before LF", block);
        if (block[i] == '\n' && (i == 0 || block[i - 1] != '\r')) Broken("LF only after CR", block);
    }
    if (!block.empty() && block.back() != '\n') Broken("block ends with CR LF", block);
}

// An SVG picture that XML readers take: valid UTF-8 without the code points XML 1.0 forbids,
// every "&" an entity, tags that nest and close.
void CheckWellFormedXml(const std::string& svg) {
    std::size_t pos = 0;
    std::vector<std::string> open;
    while (pos < svg.size()) {
        char32_t c = 0;
        const std::size_t start = pos;
        if (!tolvane::vb::NextCodePoint(svg, pos, c)) Broken("the picture is UTF-8", svg.substr(start, 40));
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF)
            Broken("no character XML forbids", svg.substr(start, 40));
        if (c == '&') {
            const std::size_t end = svg.find(';', pos);
            const std::string entity = end == std::string::npos ? "" : svg.substr(pos, end - pos);
            if (entity != "amp" && entity != "lt" && entity != "gt" && entity != "quot") Broken("a known entity", svg.substr(start, 40));
        } else if (c == '<') {
            const std::size_t end = svg.find('>', pos);
            if (end == std::string::npos) Broken("tags close", svg.substr(start, 40));
            const std::string tag = svg.substr(pos, end - pos);
            pos = end + 1;
            if (tag.starts_with("?") || tag.ends_with("/")) continue;
            const std::string name = tag.substr(tag.starts_with("/") ? 1 : 0, tag.find_first_of(" /", 1) - (tag.starts_with("/") ? 1 : 0));
            if (!tag.starts_with("/")) {
                open.push_back(name);
            } else if (open.empty() || open.back() != name) {
                Broken("tags nest", tag);
            } else {
                open.pop_back();
            }
        }
    }
    if (!open.empty()) Broken("every tag closed", open.back());
}

// Both styles of the code compile (the evaluator throws on what would not) and run on the
// form at the design size and at a size from `seed`; the preview draws them.
void ExerciseVariants(const tolvane::host::memory::ComponentData& component, const std::vector<tolvane::ControlRow>& rows,
                      const std::vector<tolvane::host::ListedControl>& listed, std::uint8_t seed) {
    namespace preview = tolvane::preview;
    preview::FormLayout layout;
    try {
        layout = preview::LayoutOf(component);
    } catch (const preview::LayoutError&) {
        return;
    }
    tolvane::cli::GenerateRequest request;
    request.plain = seed & 1;
    request.followContainers = seed & 2;
    std::ostringstream notes;
    const tolvane::cli::PickedForm form{component.name, rows, listed, layout.scale.mode};
    const auto code = tolvane::GenerateResizeCode(component.name, rows, tolvane::cli::OptionsFor(request, form, notes));
    CheckBlock(code.declarations);
    CheckBlock(code.onLoad);
    CheckBlock(code.onResize);
    const preview::TargetSize size{(seed & 4) != 0, layout.OuterWidth() * (seed % 7) / 2, layout.OuterHeight() * (seed % 5)};
    const preview::Simulation simulation = preview::Simulate(layout, code, size);
    CheckWellFormedXml(preview::RenderPreview(layout, simulation, {{}, "fuzz"}));
}

// Reads, lists and generates for every form of the project, with options from `seed`.
void ExerciseProject(const std::string& path, std::uint8_t seed) {
    files::ProjectRead read;
    try {
        read = files::ReadProject(files::PathFromUtf8(path));
    } catch (const files::FileError&) {
        return;
    }
    for (const auto& component : read.project.components) {
        CheckName(component.name);
        CheckControls(component.controls);
    }
    auto host = tolvane::host::memory::MemoryHost::Create(read.project);
    for (const auto& component : read.project.components) {
        if (!component.hasFormDesigner) continue;
        std::vector<tolvane::ControlRow> rows;
        std::vector<tolvane::host::ListedControl> controls;
        tolvane::host::ListFormControls(*host, component.name, [&](const tolvane::host::ListedControl& listed) {
            tolvane::ControlRow row;
            row.controlRef = listed.controlRef;
            const std::uint8_t bits = static_cast<std::uint8_t>(seed + rows.size());
            // What the command line refuses to pick is never ticked.
            row.included = (bits & 1) && listed.noPlace == tolvane::vb::NoPlace::kNone;
            row.moveH = (bits >> 1) & 1;
            row.sizeH = (bits >> 2) & 1;
            row.scaleH = (bits >> 3) & 1;
            row.moveV = (bits >> 4) & 1;
            row.sizeV = (bits >> 5) & 1;
            row.scaleV = (bits >> 6) & 1;
            rows.push_back(std::move(row));
            controls.push_back(listed);
            return true;
        });
        const auto code = tolvane::GenerateResizeCode(component.name, rows);
        CheckBlock(code.declarations);
        CheckBlock(code.onLoad);
        CheckBlock(code.onResize);
        ExerciseVariants(component, rows, controls, seed);
    }
}

void CheckForms(const std::vector<files::UserFormRead>& forms) {
    for (const auto& form : forms) CheckControls(files::UserFormComponent(form).controls);
}

// Every reader of Office bytes: each must read or refuse with a FormatError (FileError
// through host/files), never crash, hang or loop.
void ExerciseOffice(const File& file) {
    namespace office = tolvane::office;
    const std::string bytes(file.bytes);
    try {
        const office::CompoundFile compound(bytes, file.path);
        std::vector<std::uint32_t> storages{compound.Root()};
        while (!storages.empty()) {
            const std::uint32_t storage = storages.back();
            storages.pop_back();
            for (const std::uint32_t child : compound.At(storage).children) {
                if (compound.At(child).storage) storages.push_back(child);
                else compound.Read(child);
            }
        }
        office::ReadFormStorage(compound, compound.Root());
    } catch (const office::FormatError&) {
    }
    try {
        office::ReadFrxForm(bytes, 0, file.path);
    } catch (const office::FormatError&) {
    }
    try {
        const office::ZipArchive zip(bytes, file.path);
        for (const auto& name : zip.Names()) zip.Extract(name, 1 << 20);
    } catch (const office::FormatError&) {
    }
    try {
        CheckForms(files::ReadDocumentUserForms(files::PathFromUtf8(file.path)));
    } catch (const files::FileError&) {
    }
}

bool LeavesScratch(const std::string& text) {
    return text.find('/') != std::string::npos || text.find('\\') != std::string::npos || text.find("..") != std::string::npos;
}

void ExerciseCommandLine(const std::vector<std::string>& args, const std::vector<File>& inputs) {
    // preview writes its picture where --out says, apply the form files the project names:
    // only into the scratch folder.
    if (!args.empty() && (args[0] == "preview" || args[0] == "apply"))
        for (const auto& arg : args)
            if (LeavesScratch(arg)) return;
    if (!args.empty() && args[0] == "apply")
        for (const auto& file : inputs)
            if (file.bytes.find("..") != std::string::npos) return;
    std::ostringstream out, err;
    const int status = tolvane::cli::Run(args, out, err);
    if (status < 0 || status > 2) Broken("exit status 0, 1 or 2", std::to_string(status));
    if (status == 2 && !out.str().empty()) Broken("no output after a usage error", out.str());
    const std::string diagnostics = err.str();
    if (status != 0 && diagnostics.empty()) Broken("a failure says why", "");
    if (!diagnostics.empty() && diagnostics.back() != '\n') Broken("diagnostics end with a line end", diagnostics);
    std::istringstream lines(diagnostics);
    for (std::string line; std::getline(lines, line);)
        if (line.empty() || tolvane::vb::Printable(line) != line) Broken("each diagnostic is one printable line", line);
}

fs::path& Scratch() {
    static fs::path folder;
    return folder;
}

// The scratch folder is the working directory during one run only: libFuzzer resolves its
// own paths (corpus, artifacts) in the directory it was started in.
class InScratch {
public:
    InScratch() : previous_(fs::current_path()) { fs::current_path(Scratch()); }
    ~InScratch() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
    }
    InScratch(const InScratch&) = delete;
    InScratch& operator=(const InScratch&) = delete;

private:
    fs::path previous_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/tolvane-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    Scratch() = made;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(Scratch(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    std::vector<File> inputs;
    Split(input, args, inputs);
    const InScratch here;

    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(Scratch(), ignored)) fs::remove_all(entry.path(), ignored);
    for (const auto& file : inputs) {
        const fs::path path = Scratch() / file.path;
        fs::create_directories(path.parent_path(), ignored);
        std::ofstream(path, std::ios::binary) << file.bytes;
    }

    const std::uint8_t seed = size > 0 ? data[size - 1] : 0;
    for (const auto& file : inputs) {
        if (!HasExtension(file.path, kDesignerExtensions)) continue;
        try {
            const auto designer = files::ParseDesigner(file.bytes, file.path);
            CheckName(designer.name);
            CheckControls(designer.controls);
        } catch (const files::FileError&) {
        }
    }
    for (const auto& file : inputs)
        if (HasExtension(file.path, kOfficeExtensions)) ExerciseOffice(file);
    for (const auto& file : inputs)
        if (HasExtension(file.path, kProjectExtensions)) {
            ExerciseProject(file.path, seed);
            break;
        }
    if (!args.empty()) ExerciseCommandLine(args, inputs);
    return 0;
}
