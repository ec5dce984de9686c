#include "host/files/Text.h"

namespace tolvane::host::files {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

std::string DisplayPath(const std::filesystem::path& path) {
    const std::u8string text = std::filesystem::path(path).make_preferred().u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tolvane::host::files
