// The resize code generator: turns a ResizeModel into the three blocks of Visual Basic
// text the user pastes into a form (declarations, Load event, Resize event).
#pragma once

#include <string>
#include <string_view>

#include "model/ResizeModel.h"

namespace tolvane {

struct GeneratedCode {
    std::string declarations;  // the form's declarations section
    std::string onLoad;        // the form's Load event
    std::string onResize;      // the form's Resize event

    bool operator==(const GeneratedCode& other) const = default;
};

// The control reference with every "(" and ")" turned into "_": Option1(3) -> Option1_3_.
std::string VariableStem(std::string_view controlRef);

// Pure function of the model; every line ends with "\r\n".
GeneratedCode GenerateResizeCode(const ResizeModel& model);

}  // namespace tolvane
