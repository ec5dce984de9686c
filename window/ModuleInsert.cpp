#include "window/ModuleInsert.h"

#include <string>
#include <vector>

#include "vb/ModuleScan.h"

namespace tolvane {
namespace {

std::vector<std::string> ModuleLines(host::CodeModule& module) {
    const int count = module.CountOfLines();
    if (count == 0) return {};
    return vb::SplitModuleText(module.Lines(1, count));
}

std::string Joined(std::span<const std::string> lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    return text;
}

int LineOf(std::size_t index) { return static_cast<int>(index) + 1; }

// A change of the edit and how far the IDE made it.
struct Made {
    const blocks::Change* change;
    bool deleted = false, inserted = false;
};

// Takes back what was made, the last made first, while the IDE lets us.
void TakeBack(host::CodeModule& module, std::span<const std::string> before, const std::vector<Made>& made) noexcept {
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        const blocks::Change& change = *it->change;
        try {
            if (it->inserted) module.DeleteLines(LineOf(change.first), static_cast<int>(change.inserted.size()));
            if (it->deleted) module.InsertLines(LineOf(change.first), Joined(before.subspan(change.first, change.removed)));
        } catch (...) {
            return;  // the module keeps what could not be taken back
        }
    }
}

// Makes the edit's changes last first, so that the line numbers of those before them hold.
void Make(host::CodeModule& module, std::span<const std::string> before, const blocks::Edit& edit) {
    std::vector<Made> made;
    try {
        for (auto it = edit.rbegin(); it != edit.rend(); ++it) {
            made.push_back({&*it});
            if (it->removed > 0) {
                module.DeleteLines(LineOf(it->first), static_cast<int>(it->removed));
                made.back().deleted = true;
            }
            if (!it->inserted.empty()) {
                module.InsertLines(LineOf(it->first), Joined(it->inserted));
                made.back().inserted = true;
            }
        }
    } catch (...) {
        TakeBack(module, before, made);
        throw;
    }
}

}  // namespace

CodeTarget CodeTargetOf(host::Component& form) {
    return form.Type() == host::MSForm ? CodeTarget::kUserForm : CodeTarget::kVb6Form;
}

CodeOptions FormCodeOptions(CodeTarget target, std::span<const host::ListedControl> listed) {
    CodeOptions options;
    options.target = target;
    for (const host::ListedControl& control : listed) options.places.push_back(control.place);
    return options;
}

blocks::Edit InsertIntoModule(host::Component& form, const blocks::EventProcedures& events,
                              const blocks::Record& record, const blocks::BlockTexts& texts) {
    auto module = form.CodeModule();
    const std::vector<std::string> lines = ModuleLines(*module);
    blocks::Edit edit = blocks::InsertBlocks(lines, events, record, texts);
    if (blocks::ApplyEdit(lines, edit) == lines) return {};
    Make(*module, lines, edit);
    return edit;
}

blocks::Edit RemoveFromModule(host::Component& form, const blocks::EventProcedures& events) {
    auto module = form.CodeModule();
    const std::vector<std::string> lines = ModuleLines(*module);
    blocks::Edit edit = blocks::RemoveBlocks(lines, events);
    Make(*module, lines, edit);
    return edit;
}

std::optional<blocks::Record> RecordedPicks(host::Component& form) {
    auto module = form.CodeModule();
    return blocks::SurveyModule(ModuleLines(*module), EventProceduresOf(CodeTargetOf(form))).recorded;
}

}  // namespace tolvane
