// Conversion of ANSI/DBCS text from VB6 files to UTF-8.
//
// VB6 writes its files in the ANSI code page of the saving machine and records nothing
// about it, so the reader is told which one to use. Structure is parsed on bytes; only
// names and the few values we keep go through here. Two implementations: the C library's
// iconv on Linux, MultiByteToWideChar on Windows (win32/CodePageWin32.cpp).
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane::host::files {

inline constexpr int kDefaultCodePage = 1252;

// A code page number the reader cannot use (unknown here, or one whose bytes 0x20..0x7E
// are not ASCII, so that the byte-level parse would be meaningless).
class CodePageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CodePage {
public:
    // Throws CodePageError when `number` is not available or not ASCII-compatible.
    explicit CodePage(int number = kDefaultCodePage);
    ~CodePage();
    CodePage(CodePage&&) noexcept;
    CodePage& operator=(CodePage&&) noexcept;
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    int Number() const { return number_; }

    // The UTF-8 text of `bytes`, or nothing when the bytes are not valid in this code page.
    // Pure ASCII is returned as it is without calling the converter.
    std::optional<std::string> ToUtf8(std::string_view bytes) const;

private:
    struct Converter;  // the platform's conversion handle

    int number_;
    std::unique_ptr<Converter> converter_;
};

}  // namespace tolvane::host::files
