// What the add-in window says about its grid: the tips of the column heads, the option boxes
// and the check boxes, the names a screen reader speaks for the option boxes, and the short
// note beside a control that cannot be placed.
#pragma once

#include <cstddef>
#include <string>

#include "vb/Controls.h"

namespace tolvane {

inline constexpr const char* kControlNameTip =
    "Click to tick every control that can be placed, or, when all are ticked, to untick them all. "
    "Shift+click an element of a control array to tick or untick the whole array.";
inline constexpr const char* kHideTip =
    "Menus, lines, timers, controls that are invisible at run time and aligned controls have no place "
    "that code can set: hide them, so the controls that can be placed come first.";
inline constexpr const char* kPlainTip =
    "Ticked: the original add-in's text, byte for byte (Integer variables, the form by name, its outer "
    "size in every line), for code that must match what was pasted before. Unticked (the default): code "
    "that raises no run-time error when the form is minimised or very large, keeps controls right on a "
    "form in pixels and in frames or picture boxes, and works for every copy of the form.";
inline constexpr const char* kInsertTip =
    "Writes the code into the form's module, between comments that mark it as Tolvane's: the declarations, the "
    "start of the Load event and of the Resize event (each procedure added if the form has none). Written again, "
    "it replaces what it wrote before; the picks are kept in the first comment, so picking the form again ticks them.";
inline constexpr const char* kRemoveTip =
    "Takes the code Insert wrote out of the form's module again, with any procedure it added that holds nothing else.";
inline constexpr const char* kGuessedNote =
    "Some properties could not be read: those controls are taken to sit in twips.";

// The option of column k (0 to 5: Left/Right move, resize, scale, then Up/Down) as a screen
// reader names it after the control: "Left/Right, resize".
std::string OptionName(std::size_t column);
// What the option of column k does, for its head and its boxes; a head adds how a click on it
// sets or clears the column.
std::string OptionTip(std::size_t column);
std::string ColumnTip(std::size_t column);
// A few words that fit beside the row: "menu", "aligned".
std::string ShortReason(vb::NoPlace reason);

}  // namespace tolvane
