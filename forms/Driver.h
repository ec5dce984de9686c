// Drives headless forms as a user would. Each action first checks that a user could do it:
// the form is shown, the control and all its containers are visible and enabled, and some
// part of the control is on screen (not clipped away by a scrolled container). A refused
// action changes nothing, returns false and leaves the reason in Refusal().
#pragma once

#include <string>
#include <string_view>

#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/UserInput.h"

namespace tolvane::forms {

class Driver {
public:
    bool Click(Control& control);
    // A click with Shift held down.
    bool ShiftClick(Control& control);
    // A click on a check box; refused for any other kind.
    bool Tick(Control& checkBox);
    bool DoubleClick(Control& control);
    // Clicks into the box (keeping its selection) and types.
    bool Type(Control& control, std::string_view text);
    bool Select(Control& control, int start, int length);
    // Opens a combo box's list, as a user does before choosing from it with the mouse.
    bool OpenList(Control& combo);
    bool ChooseListEntry(Control& combo, int index);
    bool ChooseListEntry(Control& combo, std::string_view entry);

    bool PressEnter(Form& form) { return Press(form, Key::Enter); }
    bool PressEsc(Form& form) { return Press(form, Key::Escape); }
    bool PressTab(Form& form) { return Press(form, Key::Tab); }
    bool PressShiftTab(Form& form) { return Press(form, Key::ShiftTab); }
    bool PressAccessKey(Form& form, char letter);
    bool PressCloseBox(Form& form);

    // Scroll bar: "down" moves the thumb down, towards Max.
    bool ScrollArrow(Control& bar, bool down);
    bool ScrollTrack(Control& bar, bool down);
    bool DragThumb(Control& bar, int value);

    const std::string& Refusal() const { return refusal_; }

private:
    bool Press(Form& form, Key key);
    bool Reachable(const Control& control);
    bool OfKind(const Control& control, Kind kind, const char* what);
    bool Refuse(std::string reason);

    std::string refusal_;
};

}  // namespace tolvane::forms
