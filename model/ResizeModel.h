// The option grid as plain data: the target form's name and its rows, one per listed
// control (any number), each with its include flag and six resize options.
// The generator reads this and nothing else, so it can be exercised without a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

// A check box value as the window holds it: 0 clear, 1 set. Readers go by IsSet,
// so any non-zero value counts as set.
using CheckState = std::int16_t;

constexpr bool IsSet(CheckState state) noexcept { return state != 0; }

struct ControlRow {
    // How Visual Basic code names the control: "Command1", or "Option1(12)" for an array element.
    std::string controlRef;
    CheckState included = 0;
    CheckState moveH = 0;   // Left/Right: move with the form's right edge
    CheckState sizeH = 0;   // Left/Right: resize the width with the form
    CheckState scaleH = 0;  // Left/Right: proportional instead of by offset
    CheckState moveV = 0;   // Up/Down: move with the form's bottom edge
    CheckState sizeV = 0;   // Up/Down: resize the height with the form
    CheckState scaleV = 0;  // Up/Down: proportional instead of by offset

    bool operator==(const ControlRow& other) const = default;
};

struct ResizeModel {
    // The form selector's text at the moment of generation; not checked.
    std::string formName;
    std::vector<ControlRow> rows;

    bool operator==(const ResizeModel& other) const = default;
};

}  // namespace tolvane
