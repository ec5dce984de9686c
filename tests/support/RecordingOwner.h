// The add-in window's owner in tests: records what the window asks of it and, like Connect,
// hides the window on Exit.
#pragma once

#include "window/AddInWindowApi.h"

namespace tolvane::testing {

class RecordingOwner : public AddInOwner {
public:
    AddInWindowApi* window = nullptr;
    int hides = 0;
    int closed = 0;

    void Hide() override {
        ++hides;
        if (window != nullptr) window->Hide();
    }
    void WindowClosed() override { ++closed; }
};

}  // namespace tolvane::testing
