// The code a request asks for: the text's style, and where each control sits, for code in
// the units of its container and, with --relative container, code that follows containers.
#include "cli/Commands.h"

namespace tolvane::cli {
namespace {

// "A", "A and B", "A, B and C".
std::string Enumeration(const std::vector<std::string>& names) {
    std::string text = names.front();
    for (std::size_t i = 1; i < names.size(); ++i) text += (i + 1 == names.size() ? " and " : ", ") + names[i];
    return text;
}

// A picked control whose container is not picked keeps its place: say so. A UserForm's page
// needs no pick: it fills its MultiPage.
void NoteUnpickedContainers(const PickedForm& form, const CodeOptions& options, std::ostream& err) {
    const std::span<const ControlRow> rows = form.rows;
    for (std::size_t container = 0; container < rows.size(); ++container) {
        if (IsSet(rows[container].included) || form.listed[container].noPlace == vb::NoPlace::kPage) continue;
        std::vector<std::string> followers;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const ControlRow& r = rows[row];
            const bool moves = IsSet(r.moveH) || IsSet(r.sizeH) || IsSet(r.moveV) || IsSet(r.sizeV);
            if (IsSet(r.included) && moves && options.places[row].container == static_cast<int>(container))
                followers.push_back(r.controlRef);
        }
        if (followers.empty()) continue;
        err << "quenlow: note: " << rows[container].controlRef << " is not picked, so it keeps its size, and "
            << Enumeration(followers) << " in it " << (followers.size() == 1 ? "keeps its place" : "keep their places")
            << "\n";
    }
}

}  // namespace

CodeTarget TargetOf(const GenerateRequest& request, const PickedForm& form) {
    const CodeTarget own = form.type == host::MSForm ? CodeTarget::kUserForm : CodeTarget::kVb6Form;
    const CodeTarget target = request.project ? own : request.target.value_or(CodeTarget::kVb6Form);
    if (request.project && request.target && *request.target != own)
        throw UsageError("--target " + std::string(*request.target == CodeTarget::kUserForm ? "userform" : "form") + ": " +
                         form.name + " is " + (own == CodeTarget::kUserForm ? "a UserForm" : "a VB6 form"));
    if (target == CodeTarget::kUserForm && request.plain)
        throw UsageError("--plain: the original text is for VB6 forms, not UserForms");
    if (target == CodeTarget::kVb6Form && request.resizable)
        throw UsageError("--resizable: only a UserForm needs code to be resizable (a VB6 form has BorderStyle)");
    return target;
}

CodeOptions OptionsFor(const GenerateRequest& request, const PickedForm& form, std::ostream& err) {
    CodeOptions options;
    options.style = request.plain ? CodeStyle::kPlain : CodeStyle::kWorking;
    options.followContainers = request.followContainers;
    options.formScaleMode = form.scaleMode;
    options.target = TargetOf(request, form);
    options.resizable = request.resizable;
    for (const host::ListedControl& control : form.listed) options.places.push_back(control.place);
    if (options.followContainers && !form.listed.empty()) NoteUnpickedContainers(form, options, err);
    return options;
}

}  // namespace tolvane::cli
