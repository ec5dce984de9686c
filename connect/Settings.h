// The per-user settings store, addressed as VB's GetSetting/SaveSetting address it:
// application, section, key; text values; a default on read.
#pragma once

#include <stdexcept>
#include <string>

#include "vb/Errors.h"

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

protected:
    // What every store refuses, as GetSetting and SaveSetting do: an empty name.
    static void CheckName(const std::string& application, const std::string& section, const std::string& key) {
        if (application.empty() || section.empty() || key.empty())
            throw std::runtime_error(std::string(vb::kInvalidCall) + ": a setting needs an application, section and key");
    }
};

}  // namespace tolvane
