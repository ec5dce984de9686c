#include "forms/UserInput.h"

#include <algorithm>
#include <cctype>


namespace tolvane::forms::input {
namespace {

void Focus(Control& control) {
    if (control.CanHoldFocus() && control.IsReachable()) control.Parent().MoveFocus(&control);
}

void Toggle(Control& checkBox) {
    checkBox.SetValueFromUser(checkBox.Value() == 0 ? 1 : 0);
    checkBox.RaiseClick();
}

void ScrollBy(Control& bar, int step, bool towardsMax) {
    // With Max below Min the bar runs downwards: "towards Max" lowers the value.
    const int direction = (bar.Max() >= bar.Min()) == towardsMax ? 1 : -1;
    const int low = std::min(bar.Min(), bar.Max());
    const int high = std::max(bar.Min(), bar.Max());
    const int value = std::clamp(bar.Value() + direction * step, low, high);
    if (value == bar.Value()) return;
    bar.SetValueFromUser(value);
    bar.RaiseChange();
}

void ClickWithoutShift(Control& control) {
    switch (control.GetKind()) {
    case Kind::Line:
        return;
    case Kind::CheckBox:
        Focus(control);
        Toggle(control);
        return;
    case Kind::VScrollBar:
        Focus(control);
        return;
    default:
        Focus(control);
        control.RaiseClick();
        return;
    }
}

}  // namespace

void Click(Control& control, bool shift) {
    Form& form = control.Parent();
    const LifetimeToken::Watch alive = form.Watching();
    form.SetShiftHeld(shift);
    ClickWithoutShift(control);
    if (alive) form.SetShiftHeld(false);
}

void DoubleClick(Control& control) {
    switch (control.GetKind()) {
    case Kind::Line:
        return;
    case Kind::CheckBox:
    case Kind::CommandButton:
        Click(control);
        Click(control);
        return;
    default:
        Click(control);
        control.RaiseDblClick();
        return;
    }
}

void Type(Control& control, std::string_view typed) {
    Focus(control);
    control.TypeFromUser(typed);
    control.RaiseChange();
}

void Select(Control& control, int start, int length) {
    Focus(control);
    control.SelectFromUser(start, length);
}

void OpenList(Control& combo) {
    Focus(combo);
    combo.RaiseDropDown();
}

void ChooseListEntry(Control& combo, int index) {
    if (index < 0 || index >= combo.ListCount()) return;
    Focus(combo);
    combo.ChooseListEntryFromUser(index);
    combo.RaiseClick();
}

void ScrollArrow(Control& bar, bool towardsMax) {
    Focus(bar);
    ScrollBy(bar, bar.SmallChange(), towardsMax);
}

void ScrollPage(Control& bar, bool towardsMax) {
    Focus(bar);
    ScrollBy(bar, bar.LargeChange(), towardsMax);
}

void DragThumb(Control& bar, int value) {
    Focus(bar);
    const int start = bar.Value();
    const int target = std::clamp(value, std::min(bar.Min(), bar.Max()), std::max(bar.Min(), bar.Max()));
    if (target != start) {
        bar.SetValueFromUser(target);
        bar.RaiseScroll();
    }
    // The handler of Scroll may have moved the bar itself; Change reports the final value.
    if (bar.Value() != start) bar.RaiseChange();
}

void PressKey(Form& form, Key key) {
    Control* active = form.ActiveControl();
    if (active != nullptr && !active->IsReachable()) active = nullptr;
    switch (key) {
    case Key::Enter:
        if (active != nullptr && active->GetKind() == Kind::TextBox && active->MultiLine()) {
            active->TypeFromUser("\r\n");
            active->RaiseChange();
        } else if (active != nullptr && active->GetKind() == Kind::CommandButton) {
            active->RaiseClick();
        } else if (Control* button = form.DefaultButton(); button != nullptr && button->IsReachable()) {
            button->RaiseClick();
        }
        return;
    case Key::Escape:
        if (Control* button = form.CancelButton(); button != nullptr && button->IsReachable()) button->RaiseClick();
        return;
    case Key::Tab:
    case Key::ShiftTab: {
        const auto order = form.TabOrder();
        if (order.empty()) return;
        if (active == nullptr) {
            form.MoveFocus(key == Key::Tab ? order.front() : order.back());
            return;
        }
        auto at = std::find(order.begin(), order.end(), active);
        if (at == order.end()) {
            // The focused control left the order (TabStop off): continue from its TabIndex.
            at = std::find_if(order.begin(), order.end(),
                              [&](const Control* c) { return c->TabIndex() > active->TabIndex(); });
            if (key == Key::Tab) {
                form.MoveFocus(at == order.end() ? order.front() : *at);
                return;
            }
        }
        if (key == Key::Tab) form.MoveFocus(++at == order.end() ? order.front() : *at);
        else form.MoveFocus(at == order.begin() ? order.back() : *--at);
        return;
    }
    }
}

bool PressAccessKey(Form& form, char letter) {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (wanted == 0) return false;
    Control* target = nullptr;
    for (const auto& control : form.Controls()) {
        if (control->AccessKey() != wanted || !control->IsReachable()) continue;
        if (target == nullptr || control->TabIndex() < target->TabIndex()) target = control.get();
    }
    if (target == nullptr) return false;
    switch (target->GetKind()) {
    case Kind::CommandButton:
        Focus(*target);
        target->RaiseClick();
        return true;
    case Kind::CheckBox:
        Focus(*target);
        Toggle(*target);
        return true;
    case Kind::Label:
    case Kind::Frame: {
        // A label's access key moves the focus to the next control in the tab order.
        for (Control* next : form.TabOrder())
            if (next->TabIndex() > target->TabIndex()) {
                form.MoveFocus(next);
                return true;
            }
        return true;
    }
    default:
        Focus(*target);
        return true;
    }
}

void PressCloseBox(Form& form) {
    if (!form.HasCloseBox()) return;
    form.Unload(UnloadMode::CloseBox);
}

}  // namespace tolvane::forms::input
