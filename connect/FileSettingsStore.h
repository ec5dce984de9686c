// Settings kept in a small text file, for hosts without a registry (and for tests).
#pragma once

#include <filesystem>
#include <string>

#include "connect/Settings.h"

namespace tolvane {

// One line per value: `application\section\key=value`. Blank lines and lines starting
// with ';' or '#' are ignored. Writes replace the whole file atomically (temp file, rename).
class FileSettingsStore final : public SettingsStore {
public:
    explicit FileSettingsStore(std::filesystem::path path);

    // A missing file reads as the default; a malformed file throws std::runtime_error
    // naming the file and line.
    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    std::filesystem::path path_;
};

}  // namespace tolvane
