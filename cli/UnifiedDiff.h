// A unified diff of a file and an edit of its lines, to look at before anything is written.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <span>
#include <string>

#include "model/ModuleBlocks.h"

namespace tolvane::cli {

// Writes "--- label", "+++ label" and a hunk for each group of changes, with `context`
// lines around them. `before` is the file's lines as they are shown; the edit's lines are
// shown through `show`. `finalEnd`: the file's last line ends with a line end (else
// "\ No newline at end of file" follows it, as diff writes). Nothing for an empty edit.
void WriteUnifiedDiff(std::ostream& out, const std::string& label, std::span<const std::string> before,
                      const blocks::Edit& edit, const std::function<std::string(const std::string&)>& show,
                      bool finalEnd, std::size_t context = 3);

}  // namespace tolvane::cli
