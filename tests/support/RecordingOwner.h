// The add-in window's owner in tests: records what the window asks of it and, like Connect,
// hides the window on Exit and keeps its settings.
#pragma once

#include <map>
#include <string>

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
    // The settings as a store keeps them between two windows.
    std::map<std::string, std::string> settings;
    std::string GetSetting(const std::string& key, const std::string& defaultValue) override {
        const auto found = settings.find(key);
        return found == settings.end() ? defaultValue : found->second;
    }
    void SaveSetting(const std::string& key, const std::string& value) override { settings[key] = value; }
};

}  // namespace tolvane::testing
