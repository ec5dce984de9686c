#include "host/Listing.h"

#include <optional>
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

// A number setting, or nothing when the control has no such property.
std::optional<int> Setting(Properties& properties, const char* name) {
    try {
        return properties.Item(name)->Value().AsNumber();
    } catch (const HostError&) {
        return std::nullopt;
    }
}

bool HasProperty(Properties& properties, const char* name) {
    try {
        properties.Item(name);
        return true;
    } catch (const HostError&) {
        return false;
    }
}

// What code may do with the control: its class, whether it has a place, its contents' units.
// Only what its class makes worth asking is read (a menu or a command button has no Align),
// and a read that fails leaves the assumption made before these were read.
void ReadFacts(Control& control, ListedControl& row) {
    std::shared_ptr<Properties> properties;
    try {
        row.className = control.ProgId();
        row.noPlace = vb::WhyNoPlace(row.className, std::nullopt, 0);
        const bool foreign = !row.className.empty() && !vb::IsIntrinsic(row.className);
        const bool mayBeAligned = vb::MayBeAligned(row.className);
        const bool scaled = vb::DefaultSetting(row.className, "ScaleMode").has_value();
        if (row.noPlace != vb::NoPlace::kNone || !(foreign || mayBeAligned || scaled)) return;
        properties = control.GetProperties();
        // A control of another library that is invisible at run time has no Width.
        const std::optional<bool> hasSize = foreign ? std::optional<bool>(HasProperty(*properties, "Width")) : std::nullopt;
        const auto align = mayBeAligned ? Setting(*properties, "Align") : 0;
        // VB's own alignable controls always have Align; another library's may not.
        row.guessed = !align && vb::IsIntrinsic(row.className);
        row.noPlace = vb::WhyNoPlace(row.className, hasSize, align.value_or(0));
        if (scaled) {
            const auto scaleMode = Setting(*properties, "ScaleMode");
            row.guessed = row.guessed || !scaleMode;
            row.place.scaleMode = scaleMode.value_or(vb::kTwips);
        }
    } catch (const HostError&) {
        row.guessed = true;
    }
}

class Lister {
public:
    explicit Lister(const ListedControlSink& sink) : sink_(sink) {}

    // Delivers the control's row, then its contents' (last first, each followed by its own).
    // Returns false once the sink asked to stop.
    bool List(Control& control, const ControlKey& key, int depth, int container) {
        ListedControl row;
        row.controlRef = ReferenceOf(key);
        row.depth = depth;
        row.place.container = container;
        ReadFacts(control, row);
        row.place.kind = vb::ContainerKindOf(row.className);
        // Code names a UserForm's page through its MultiPage: MultiPage1.Pages("Page1").
        if (row.noPlace == vb::NoPlace::kPage && container >= 0)
            row.place.reference = refs_[static_cast<std::size_t>(container)] + ".Pages(\"" + row.controlRef + "\")";
        const int position = next_++;
        refs_.push_back(row.controlRef);
        if (!sink_(row)) return false;
        auto contained = control.ContainedVBControls();
        for (int child = contained->Count(); child >= 1; --child) {
            auto item = contained->Item(child);
            if (!List(*item, KeyOf(*item), depth + 1, position)) return false;
        }
        return true;
    }

private:
    const ListedControlSink& sink_;
    int next_ = 0;
    std::vector<std::string> refs_;  // by listing position, for the pages' references
};

}  // namespace

void ForEachProjectForm(Root& root, const std::function<void(std::string)>& take) {
    const int count = root.ActiveVBProject()->VBComponents()->Count();
    for (int i = 1; i <= count; ++i) {
        if (!IsPickableForm(root.ActiveVBProject()->VBComponents()->Item(i)->Type())) continue;
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

    Lister lister(sink);
    for (int position = count; position >= 1; --position) {
        auto control = controls->Item(position);
        const ControlKey key = KeyOf(*control);
        if (nested.count(key)) continue;
        if (!lister.List(*control, key, 0, -1)) return;
    }
}

void ListFormControls(Root& root, const std::string& formName, const ListedControlSink& sink) {
    auto designer = root.ActiveVBProject()->VBComponents()->Item(formName)->Designer();
    ListFormControls(*designer, sink);
}

}  // namespace tolvane::host
