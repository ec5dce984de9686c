#include "host/files/UserForms.h"

#include <charconv>
#include <cmath>
#include <map>

#include "host/files/Lexing.h"
#include "host/files/PathResolution.h"
#include "host/files/Text.h"
#include "host/files/office/FormsBinary.h"
#include "host/files/office/VbaProject.h"
#include "vb/Names.h"

namespace tolvane::host::files {
namespace {

namespace fs = std::filesystem;

std::string Label(const fs::path& path) { return DisplayPath(path.lexically_normal()); }

// "Name.frx":0000 -> the file's bytes (in the .frm's code page) and the hex offset.
bool SplitBlob(std::string_view value, std::string& file, std::size_t& offset) {
    if (value.size() < 4 || value.front() != '"') return false;
    const std::size_t close = value.find('"', 1);
    if (close == std::string_view::npos || close + 1 >= value.size() || value[close + 1] != ':') return false;
    file = std::string(value.substr(1, close - 1));
    std::string_view hex = value.substr(close + 2);
    hex = hex.substr(0, hex.find_first_of(" \t'"));
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), offset, 16);
    return !file.empty() && !hex.empty() && error == std::errc() && end == hex.data() + hex.size();
}

// The file's error, with the place inside it (stream, offset) before the problem.
FileError Refusal(const office::FormatError& error, const std::string& label) {
    std::string place = error.Place();
    if (place.compare(0, label.size(), label) == 0) place.erase(0, label.size());
    if (place.compare(0, 2, ", ") == 0) place.erase(0, 2);
    return FileError(label, 0, place.empty() ? error.Problem() : place + ": " + error.Problem());
}

// Names go into generated code: each must be an identifier, once in the whole form.
void CheckNames(const std::vector<UserFormControl>& controls, const std::string& label,
                std::map<std::string, std::string>& seen) {
    for (const auto& control : controls) {
        if (!vb::IsVbIdentifier(control.name))
            throw FileError(label, 0, "control name " + detail::Quote(vb::PrintablePrefix(control.name)) +
                                          " is not a Visual Basic identifier");
        const auto [found, added] = seen.emplace(vb::FoldCase(control.name), control.name);
        if (!added) throw FileError(label, 0, "control name " + detail::Quote(control.name) + " is used twice in the form");
        CheckNames(control.children, label, seen);
    }
}

void CheckForm(const UserFormRead& form, const std::string& label) {
    if (!vb::IsVbIdentifier(form.name))
        throw FileError(label, 0, "form name " + detail::Quote(vb::PrintablePrefix(form.name)) + " is not a Visual Basic identifier");
    std::map<std::string, std::string> seen;
    CheckNames(form.controls, label, seen);
}

memory::ControlData Control(const UserFormControl& control) {
    memory::ControlData data;
    data.name = control.name;
    data.className = control.className;
    if (control.className == "MSForms.Page") {
        data.properties["InsideWidth"] = PointsText(control.width);
        data.properties["InsideHeight"] = PointsText(control.height);
    } else {
        data.properties["Left"] = PointsText(control.left);
        data.properties["Top"] = PointsText(control.top);
        if (control.sized) {
            data.properties["Width"] = PointsText(control.width);
            data.properties["Height"] = PointsText(control.height);
        }
    }
    for (const auto& child : control.children) data.children.push_back(Control(child));
    return data;
}

}  // namespace

bool IsUserFormClass(std::string_view rootClass) { return vb::SameKeyword(rootClass, kUserFormClass); }

UserFormRead ReadExportedUserForm(const fs::path& frm, const DesignerFile& designer, const CodePages& codePages) {
    const std::string label = Label(frm);
    if (!IsUserFormClass(designer.rootClass))
        throw FileError(label, designer.rootLine, "the designer is " + vb::PrintablePrefix(designer.rootClass) +
                                                      ", not a UserForm " + std::string(kUserFormClass));
    std::string blobFile;
    std::size_t offset = 0;
    if (!SplitBlob(designer.oleObjectBlob, blobFile, offset))
        throw FileError(label, designer.rootLine, "the UserForm has no OleObjectBlob = \"NAME.frx\":OFFSET line");
    const auto name = codePages.Get(designer.codePage).ToUtf8(blobFile);
    if (!name) throw FileError(label, designer.rootLine, "the OleObjectBlob file name does not read in code page " +
                                                             std::to_string(designer.codePage));
    const detail::Resolution found = detail::Resolve(frm.parent_path(), *name);
    if (found.outcome != detail::Resolution::Outcome::Found)
        throw FileError(label, designer.rootLine, "OleObjectBlob " + detail::Quote(*name) + ": " + found.problem);
    const std::string frxLabel = Label(found.file);
    office::FormContents contents;
    try {
        contents = office::ReadFrxForm(detail::ReadFileBytes(found.file, frxLabel), offset, frxLabel);
    } catch (const office::FormatError& error) {
        throw Refusal(error, frxLabel);
    }
    UserFormRead form{designer.name, std::move(contents.caption), contents.width, contents.height, std::move(contents.controls)};
    if (form.caption.empty())
        if (const auto caption = designer.properties.find("Caption"); caption != designer.properties.end())
            form.caption = caption->second.AsText();
    CheckForm(form, frxLabel);
    return form;
}

UserFormRead ReadExportedUserForm(const fs::path& frm, const CodePages& codePages) {
    const std::string label = Label(frm);
    return ReadExportedUserForm(frm, ParseDesigner(detail::ReadFileBytes(frm, label), label, codePages), codePages);
}

std::vector<UserFormRead> ReadDocumentUserForms(const fs::path& document, const CodePages& codePages) {
    const std::string label = Label(document);
    const CodePage& codePage = codePages.Get(codePages.Forced().value_or(kDefaultCodePage));
    std::vector<UserFormRead> forms;
    try {
        forms = office::ReadDocumentUserForms(detail::ReadFileBytes(document, label), label,
                                              [&](std::string_view bytes) { return codePage.ToUtf8(bytes); });
    } catch (const office::FormatError& error) {
        throw Refusal(error, label);
    }
    for (const auto& form : forms) CheckForm(form, label);
    return forms;
}

memory::ComponentData UserFormComponent(const UserFormRead& form) {
    memory::ComponentData component;
    component.name = form.name;
    component.type = ComponentType::MSForm;
    for (const auto& control : form.controls) component.controls.push_back(Control(control));
    component.properties["Caption"] = form.caption;
    component.properties["InsideWidth"] = PointsText(form.insideWidth);
    component.properties["InsideHeight"] = PointsText(form.insideHeight);
    return component;
}

std::string PointsText(double points) {
    const long long hundredths = std::llround(points * 100);
    std::string text = std::to_string(std::llabs(hundredths) / 100);
    const long long fraction = std::llabs(hundredths) % 100;
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10) text += static_cast<char>('0' + fraction % 10);
    }
    return hundredths < 0 ? "-" + text : text;
}

}  // namespace tolvane::host::files
