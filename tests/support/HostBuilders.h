// Projects built by hand for tests of anything that reads the host.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/memory/MemoryHost.h"

namespace tolvane::testing {

// A control named `name`; `index` 0 or more makes it an element of a control array.
inline host::memory::ControlData ControlNamed(std::string name, std::int32_t index = -1,
                                              std::vector<host::memory::ControlData> children = {}) {
    host::memory::ControlData control;
    control.name = std::move(name);
    control.index = index;
    control.children = std::move(children);
    return control;
}

}  // namespace tolvane::testing
