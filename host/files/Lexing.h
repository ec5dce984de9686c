// Byte-level helpers shared by the designer-file and project-file readers.
#pragma once

#include <algorithm>
#include <cstring>
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
        const std::size_t lf = NextOf('\n', lf_);
        const std::size_t cr = NextOf('\r', cr_);
        std::size_t end = std::min(lf, cr);
        line = data_.substr(pos_, end - pos_);
        if (end < data_.size()) end += (end == cr && cr + 1 == lf) ? 2 : 1;
        pos_ = end;
        return true;
    }
    int Number() const { return number_; }
    std::size_t Position() const { return pos_; }  // after the last line read and its end

private:
    // The position of the next `c` at or after pos_ (the end when there is none). Each
    // position is searched for once, so a file with only one kind of line end stays linear.
    std::size_t NextOf(char c, std::size_t& cached) const {
        if (cached == kUnknown || cached < pos_) {
            const void* found = std::memchr(data_.data() + pos_, c, data_.size() - pos_);
            cached = found ? static_cast<std::size_t>(static_cast<const char*>(found) - data_.data()) : data_.size();
        }
        return cached;
    }
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

    std::string_view data_;
    std::size_t pos_ = 0;
    std::size_t lf_ = kUnknown;
    std::size_t cr_ = kUnknown;
    int number_ = 0;
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

inline std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The whole file, or a FileError naming it (missing, unreadable, too large, or not a
// regular file: a folder, FIFO, device or socket is refused without being opened).
std::string ReadFileBytes(const std::filesystem::path& file, const std::string& label);

}  // namespace tolvane::host::files::detail
