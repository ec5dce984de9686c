// UTF-8 text <-> file system paths, for names read from VB6 files and for messages.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::host::files {

std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);  // generic form, '/' separators

// The path as messages show it to the user: UTF-8 with the system's separators ('\' on Windows).
std::string DisplayPath(const std::filesystem::path& path);

}  // namespace tolvane::host::files
