// Byte-level helpers shared by the designer-file and project-file readers.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::host::files::detail {

// Splits text into lines at CR LF, LF or a lone CR (any mix), skipping a UTF-8 byte
// order mark at the start. A final line end adds no empty line.
class Lines {
public:
    explicit Lines(std::string_view data) : data_(data) {
        if (data_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }
    bool Next(std::string_view& line) {
        if (pos_ >= data_.size()) return false;
        ++number_;
        std::size_t end = data_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos) end = data_.size();
        line = data_.substr(pos_, end - pos_);
        if (end < data_.size()) end += (data_[end] == '\r' && end + 1 < data_.size() && data_[end + 1] == '\n') ? 2 : 1;
        pos_ = end;
        return true;
    }
    int Number() const { return number_; }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// ASCII case-insensitive equality: keywords and keys are ASCII. Never used to fold name
// bytes, whose DBCS trail bytes may look like ASCII letters.
inline bool KeywordIs(std::string_view text, std::string_view keyword) {
    if (text.size() != keyword.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char a = text[i], b = keyword[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

inline std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The whole file, or a FileError naming it (missing, unreadable, too large).
std::string ReadFileBytes(const std::filesystem::path& file, const std::string& label);

}  // namespace tolvane::host::files::detail
