#include "host/Listing.h"

#include <set>
#include <utility>

#include "vb/Names.h"

namespace tolvane::host {
namespace {

// A control is identified within its form by name and array index.
using ControlKey = std::pair<std::string, std::int32_t>;

ControlKey KeyOf(Control& control) {
    auto properties = control.GetProperties();
    return {properties->Item("Name")->Value().AsText(), properties->Item("Index")->Value().AsNumber()};
}

std::string ReferenceOf(const ControlKey& key) { return vb::ControlReference(key.first, key.second); }

// Lists the controls inside `container`, last first, each followed by its own contents.
// Returns false once the sink asked to stop.
bool ListContained(Control& container, int depth, const ListedControlSink& sink) {
    auto contained = container.ContainedVBControls();
    for (int position = contained->Count(); position >= 1; --position) {
        auto child = contained->Item(position);
        if (!sink(ListedControl{ControlReference(*child), depth})) return false;
        if (!ListContained(*child, depth + 1, sink)) return false;
    }
    return true;
}

}  // namespace

void ForEachProjectForm(Root& root, const std::function<void(std::string)>& take) {
    const int count = root.ActiveVBProject()->VBComponents()->Count();
    for (int i = 1; i <= count; ++i) {
        if (root.ActiveVBProject()->VBComponents()->Item(i)->Type() != ComponentType::VBForm) continue;
        take(root.ActiveVBProject()->VBComponents()->Item(i)->Name());
    }
}

std::string ControlReference(Control& control) { return ReferenceOf(KeyOf(control)); }

void ListFormControls(FormDesigner& form, const ListedControlSink& sink) {
    auto controls = form.VBControls();
    const int count = controls->Count();

    // The IDE's collection holds every control of the form; those that also sit inside
    // another control of the collection are listed under that container only.
    std::set<ControlKey> nested;
    for (int position = 1; position <= count; ++position) {
        auto contained = controls->Item(position)->ContainedVBControls();
        for (int child = contained->Count(); child >= 1; --child) nested.insert(KeyOf(*contained->Item(child)));
    }

    for (int position = count; position >= 1; --position) {
        auto control = controls->Item(position);
        const ControlKey key = KeyOf(*control);
        if (nested.count(key)) continue;
        if (!sink(ListedControl{ReferenceOf(key), 0})) return;
        if (!ListContained(*control, 1, sink)) return;
    }
}

void ListFormControls(Root& root, const std::string& formName, const ListedControlSink& sink) {
    auto designer = root.ActiveVBProject()->VBComponents()->Item(formName)->Designer();
    ListFormControls(*designer, sink);
}

}  // namespace tolvane::host
