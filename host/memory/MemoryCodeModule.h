// The in-memory host's CodeModule: a component's lines, read and changed as the IDE's
// CodeModule reads and changes them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/memory/MemoryHost.h"

namespace tolvane::host::memory {

// Serves `lines`, which `keep` keeps alive, with failures from `faults`.
std::shared_ptr<CodeModule> MakeCodeModule(std::shared_ptr<FaultPlan> faults, std::shared_ptr<void> keep,
                                           std::vector<std::string>& lines);

}  // namespace tolvane::host::memory
