// The per-user settings store, addressed as VB's GetSetting/SaveSetting address it:
// application, section, key; text values; a default on read.
#pragma once

#include <string>

namespace tolvane {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `defaultValue` when nothing is stored. May throw std::runtime_error.
    virtual std::string GetSetting(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& defaultValue) = 0;
    // Stores the text; throws std::runtime_error naming what failed.
    virtual void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

}  // namespace tolvane
