#include "forms/Driver.h"

namespace tolvane::forms {

bool Driver::Refuse(std::string reason) {
    refusal_ = std::move(reason);
    return false;
}

bool Driver::Reachable(const Control& control) {
    refusal_.clear();
    const std::string who = control.Parent().Name() + "." + control.Reference();
    if (!control.Parent().IsShown()) return Refuse(who + ": the form is not shown");
    for (const Control* c = &control; c != nullptr; c = c->Container()) {
        if (!c->Visible()) return Refuse(who + ": " + c->Reference() + " is hidden");
        if (!c->Enabled()) return Refuse(who + ": " + c->Reference() + " is disabled");
    }
    if (control.GetKind() == Kind::Line) return Refuse(who + ": a line takes no input");
    if (control.VisiblePart().Empty()) return Refuse(who + ": scrolled or clipped out of view");
    return true;
}

bool Driver::OfKind(const Control& control, Kind kind, const char* what) {
    if (control.GetKind() == kind) return true;
    return Refuse(control.Parent().Name() + "." + control.Reference() + " is no " + what);
}

bool Driver::Click(Control& control) {
    if (!Reachable(control)) return false;
    input::Click(control);
    return true;
}

bool Driver::ShiftClick(Control& control) {
    if (!Reachable(control)) return false;
    input::Click(control, /*shift=*/true);
    return true;
}

bool Driver::Tick(Control& checkBox) {
    if (!OfKind(checkBox, Kind::CheckBox, "check box")) return false;
    return Click(checkBox);
}

bool Driver::DoubleClick(Control& control) {
    if (!Reachable(control)) return false;
    input::DoubleClick(control);
    return true;
}

bool Driver::Type(Control& control, std::string_view text) {
    if (control.GetKind() != Kind::TextBox && control.GetKind() != Kind::ComboBox)
        return Refuse(control.Reference() + " takes no typing");
    if (!Reachable(control)) return false;
    input::Type(control, text);
    return true;
}

bool Driver::Select(Control& control, int start, int length) {
    if (control.GetKind() != Kind::TextBox && control.GetKind() != Kind::ComboBox)
        return Refuse(control.Reference() + " has no text selection");
    if (!Reachable(control)) return false;
    input::Select(control, start, length);
    return true;
}

bool Driver::OpenList(Control& combo) {
    if (!OfKind(combo, Kind::ComboBox, "combo box") || !Reachable(combo)) return false;
    input::OpenList(combo);
    return true;
}

bool Driver::ChooseListEntry(Control& combo, int index) {
    if (!OfKind(combo, Kind::ComboBox, "combo box") || !Reachable(combo)) return false;
    if (index < 0 || index >= combo.ListCount())
        return Refuse(combo.Reference() + " has no list entry " + std::to_string(index));
    input::ChooseListEntry(combo, index);
    return true;
}

bool Driver::ChooseListEntry(Control& combo, std::string_view entry) {
    for (int i = 0; i < combo.ListCount(); ++i)
        if (combo.List(i) == entry) return ChooseListEntry(combo, i);
    return Refuse(combo.Reference() + " lists no \"" + std::string(entry) + "\"");
}

bool Driver::Press(Form& form, Key key) {
    refusal_.clear();
    if (!form.IsShown()) return Refuse(form.Name() + " is not shown");
    input::PressKey(form, key);
    return true;
}

bool Driver::PressAccessKey(Form& form, char letter) {
    refusal_.clear();
    if (!form.IsShown()) return Refuse(form.Name() + " is not shown");
    if (!input::PressAccessKey(form, letter))
        return Refuse(form.Name() + " has no reachable control for Alt+" + std::string(1, letter));
    return true;
}

bool Driver::PressCloseBox(Form& form) {
    refusal_.clear();
    if (!form.IsShown()) return Refuse(form.Name() + " is not shown");
    if (!form.HasCloseBox()) return Refuse(form.Name() + " has no close box");
    input::PressCloseBox(form);
    return true;
}

bool Driver::ScrollArrow(Control& bar, bool down) {
    if (!OfKind(bar, Kind::VScrollBar, "scroll bar") || !Reachable(bar)) return false;
    input::ScrollArrow(bar, down);
    return true;
}

bool Driver::ScrollTrack(Control& bar, bool down) {
    if (!OfKind(bar, Kind::VScrollBar, "scroll bar") || !Reachable(bar)) return false;
    input::ScrollPage(bar, down);
    return true;
}

bool Driver::DragThumb(Control& bar, int value) {
    if (!OfKind(bar, Kind::VScrollBar, "scroll bar") || !Reachable(bar)) return false;
    input::DragThumb(bar, value);
    return true;
}

}  // namespace tolvane::forms
