// Settings where VB's GetSetting/SaveSetting keep them:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, value <key>, REG_SZ.
#pragma once

#include <string>

#include "connect/Settings.h"

namespace tolvane {

class RegistrySettingsStore final : public SettingsStore {
public:
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

}  // namespace tolvane
