// Variants of the generated code that the command line offers beside the add-in's text:
// code that raises no run-time error in use, and code in which a control follows its
// container instead of the form. Without either, the text is GenerateResizeCode's.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ResizeCode.h"

namespace tolvane {

// Where a row's control sits, for code relative to containers.
struct RowPlacement {
    int container = -1;  // the row of the control's container; -1 when it sits on the form
    // As a container: its contents are placed in its ScaleWidth/ScaleHeight units (a picture
    // box), rather than measured against its Width/Height (a frame, or any other control).
    bool scaled = false;
};

struct CodeVariant {
    // Variables are Long; Form_Resize returns at once while the form is minimised or before
    // the Load code has recorded the sizes; a width or height by offset that would be below
    // 0 is set to 0, and a proportional line over a container recorded with no size is left
    // out at run time. At the design size every control stays where it is.
    bool robust = false;
    // Empty: every control follows the form. Otherwise one entry per row, and each
    // control follows its container's inner size; a container is handled before its
    // contents in the Resize block, so a container that resizes carries its contents along.
    std::vector<RowPlacement> placement;
};

GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows,
                                 const CodeVariant& variant);

// The stem of each row's variables in that code: RowStems over the included rows and the
// containers they follow ("" for a row that has none). Throws std::invalid_argument for a
// placement that does not fit the rows.
std::vector<std::string> VariantStems(std::span<const ControlRow> rows, const CodeVariant& variant);

}  // namespace tolvane
