// The one writer of every style of the generated code (see ResizeCode.h).
#pragma once

#include <span>
#include <string_view>

#include "model/ResizeCode.h"

namespace tolvane {

GeneratedCode WriteCode(std::string_view formName, std::span<const ControlRow> rows, const CodeOptions& options);

}  // namespace tolvane
