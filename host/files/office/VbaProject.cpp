#include "host/files/office/VbaProject.h"

#include <algorithm>
#include <memory>

#include "host/files/office/CompoundFile.h"
#include "host/files/office/FormsBinary.h"
#include "host/files/office/Strings.h"
#include "host/files/office/Zip.h"

namespace tolvane::office {
namespace {

constexpr std::string_view kProjectParts[] = {"xl/vbaProject.bin", "word/vbaProject.bin", "ppt/vbaProject.bin"};
constexpr std::string_view kProjectStorages[] = {"_VBA_PROJECT_CUR", "Macros"};

// The module names of PROJECT's "BaseClass=" lines, as bytes.
std::vector<std::string> DesignerNames(std::string_view text) {
    std::vector<std::string> names;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 10 && SameIgnoringAsciiCase(line.substr(0, 10), "BaseClass=")) names.emplace_back(line.substr(10));
        if (!line.empty() && line.front() == '[') break;  // the host's sections follow the module list
    }
    return names;
}

// The storage holding the project ("VBA" and "PROJECT" in it), if the file has one.
std::optional<std::uint32_t> ProjectStorage(const CompoundFile& file) {
    if (file.Find(file.Root(), "PROJECT")) return file.Root();
    for (const std::string_view name : kProjectStorages)
        if (const auto storage = file.Find(file.Root(), name); storage && file.At(*storage).storage) return storage;
    return std::nullopt;
}

std::vector<UserFormRead> ReadProject(const CompoundFile& file, std::uint32_t project, const ProjectTextDecoder& decode) {
    const auto stream = file.Find(project, "PROJECT");
    if (!stream || file.At(*stream).storage) throw FormatError(file.Place(project), "no stream \"PROJECT\"");
    const std::string text = file.Read(*stream);
    std::vector<UserFormRead> forms;
    for (const std::string& bytes : DesignerNames(text)) {
        const std::optional<std::string> name = decode(bytes);
        if (!name) throw FormatError(file.Place(*stream), "a designer name that does not read in the project's code page");
        const auto& children = file.At(project).children;
        const auto storage = std::find_if(children.begin(), children.end(), [&](std::uint32_t child) {
            return file.At(child).storage && SameIgnoringAsciiCase(file.At(child).name, *name);
        });
        if (storage == children.end())
            throw FormatError(file.Place(project), "no storage for the designer \"" + *name + "\" that PROJECT lists");
        FormContents contents = ReadFormStorage(file, *storage);
        forms.push_back(UserFormRead{file.At(*storage).name, std::move(contents.caption), contents.width,
                                     contents.height, std::move(contents.controls)});
    }
    return forms;
}

}  // namespace

std::vector<UserFormRead> ReadDocumentUserForms(std::string bytes, const std::string& label,
                                                const ProjectTextDecoder& decode) {
    std::unique_ptr<CompoundFile> file;
    if (ZipArchive::HasSignature(bytes)) {
        const ZipArchive zip(bytes, label);
        for (const std::string_view part : kProjectParts)
            if (auto project = zip.Extract(part, kMaxStreamBytes)) {
                file = std::make_unique<CompoundFile>(std::move(*project), label + ", " + std::string(part));
                break;
            }
        if (!file) return {};
    } else if (CompoundFile::HasSignature(bytes)) {
        file = std::make_unique<CompoundFile>(std::move(bytes), label);
    } else {
        throw FormatError(label, "neither a zip document nor a compound file");
    }
    const auto project = ProjectStorage(*file);
    if (!project) return {};
    return ReadProject(*file, *project, decode);
}

}  // namespace tolvane::office
