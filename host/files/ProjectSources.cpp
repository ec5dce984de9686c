// Projects that are no .vbp: a folder of exported modules, and the UserForms of an Office
// document. Both open as the IDE or the VBA editor would show them: a form that does not read
// is left out with its reason, the others are served.
#include "host/files/ProjectSources.h"

#include <algorithm>
#include <system_error>

#include "host/files/PathResolution.h"
#include "host/files/Text.h"
#include "host/files/UserForms.h"
#include "vb/Names.h"

namespace tolvane::host::files {
namespace {

namespace fs = std::filesystem;

std::string Label(const fs::path& path) { return DisplayPath(path.lexically_normal()); }

// The .frm files of a folder, by name, at most kMaxFolderForms.
std::vector<fs::path> FormFilesIn(const fs::path& folder, const std::string& label) {
    std::vector<fs::path> forms;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) throw FileError(label, 0, "cannot be read: " + error.message());
    for (const auto& entry : entries) {
        std::error_code ignored;
        if (!entry.is_regular_file(ignored) || !vb::SameKeyword(Utf8FromPath(entry.path().extension()), ".frm")) continue;
        if (forms.size() == kMaxFolderForms)
            throw FileError(label, 0, "holds more than " + std::to_string(kMaxFolderForms) + " form files");
        forms.push_back(entry.path());
    }
    std::sort(forms.begin(), forms.end());
    return forms;
}

}  // namespace

bool IsOfficeDocument(const fs::path& file) {
    constexpr std::string_view kExtensions[] = {".xlsm", ".xlam", ".xltm", ".xls", ".xla", ".xlt", ".docm", ".dotm",
                                                ".doc",  ".dot",  ".pptm", ".potm", ".ppam", ".bin",  ".xlsx", ".docx", ".pptx"};
    const std::string extension = Utf8FromPath(file.extension());
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](std::string_view known) { return vb::SameKeyword(extension, known); });
}

ProjectRead ReadFolder(const fs::path& folder, const CodePages& codePages) {
    const std::string label = Label(folder);
    ProjectRead read;
    for (const fs::path& file : FormFilesIn(folder, label)) {
        try {
            ProjectRead one = detail::ReadLoneForm(file, codePages);
            for (auto& component : one.project.components) read.project.components.push_back(std::move(component));
            for (auto& entry : one.files) read.files.push_back(std::move(entry));
        } catch (const FileError& error) {
            read.leftOut.push_back(LeftOutComponent{Utf8FromPath(file.stem()), error});
        }
    }
    return read;
}

ProjectRead ReadDocument(const fs::path& document, const CodePages& codePages) {
    ProjectRead read;
    for (const UserFormRead& form : ReadDocumentUserForms(document, codePages))
        read.project.components.push_back(UserFormComponent(form));
    return read;
}

}  // namespace tolvane::host::files
