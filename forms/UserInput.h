// Input from the user, as the headless driver and the Win32 realisation both deliver it:
// the state is written first (without a dirty bit: the native control already shows it),
// then the event handler runs through the form's dispatch. These functions do not check
// whether a user could reach the control; the driver does that, and Windows does it for
// the native controls.
#pragma once

#include <string_view>

#include "forms/Control.h"
#include "forms/Form.h"

namespace tolvane::forms {

enum class Key { Enter, Escape, Tab, ShiftTab };

namespace input {

// A mouse click: a check box toggles, anything that takes the focus gets it, then Click.
// `shift`: Shift was held down (Form::ShiftHeld while the handler runs).
void Click(Control& control, bool shift = false);
// A double-click: check boxes toggle twice and buttons click twice (they have no
// DblClick); other controls raise Click, then DblClick.
void DoubleClick(Control& control);
// Keystrokes into a text box or the combo box's edit field: the selection is replaced.
void Type(Control& control, std::string_view typed);
// A selection made with the mouse or the keyboard, clamped to the text.
void Select(Control& control, int start, int length);
// The combo box's list opened with the mouse or Alt+Down: the focus, then DropDown.
void OpenList(Control& combo);
// An entry chosen from the combo box's list.
void ChooseListEntry(Control& combo, int index);
// Scroll bar: an arrow (SmallChange) or a click in the track (LargeChange), towards Max
// when `towardsMax`. Raises Change when the value moved.
void ScrollArrow(Control& bar, bool towardsMax);
void ScrollPage(Control& bar, bool towardsMax);
// Thumb dragged to `value` (clamped): Scroll while dragging, then Change on release when
// the value differs from where the drag started.
void DragThumb(Control& bar, int value);
// A key pressed while the form is active. Enter in a multi-line text box inserts a line
// break; on a button it presses the button; elsewhere it presses the default button.
// Esc presses the cancel button. Tab moves the focus.
void PressKey(Form& form, Key key);
// Alt+letter; returns false when no reachable control carries that access key.
bool PressAccessKey(Form& form, char letter);
// The close box in the title bar.
void PressCloseBox(Form& form);

}  // namespace input

}  // namespace tolvane::forms
