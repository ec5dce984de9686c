// Conversion of ANSI/DBCS text from VB6 files to UTF-8.
//
// VB6 writes its files in the ANSI code page of the saving machine and records no code
// page, only the Charset of each font, which tells it (CodePageOfCharset). Structure is
// parsed on bytes; only names and the few values we keep go through here. Two
// implementations: the C library's iconv on Linux, MultiByteToWideChar on Windows
// (win32/CodePageWin32.cpp).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

    // An East Asian double-byte code page (932, 936, 949, 950), where a byte from 0x81 up
    // may lead a two-byte character.
    bool IsDoubleByte() const;
    bool IsLeadByte(unsigned char byte) const;

    // The UTF-8 text of `bytes`, or nothing when the bytes are not valid in this code page.
    // Pure ASCII is returned as it is without calling the converter.
    std::optional<std::string> ToUtf8(std::string_view bytes) const;

    // The bytes of UTF-8 text in this code page, or nothing when the text is not UTF-8 or
    // holds a character the code page has not (no look-alike stands in for it). Pure ASCII
    // is returned as it is.
    std::optional<std::string> FromUtf8(std::string_view utf8) const;

private:
    struct Converter;  // the platform's conversion handle

    int number_;
    std::unique_ptr<Converter> converter_;
};

// The code page Windows uses for a font's Charset (128 Shift-JIS -> 932, 204 Cyrillic ->
// 1251, ...), or 0 for the charsets that name none of their own (0 ANSI, 1 default,
// 2 symbol, 255 OEM, ...).
int CodePageOfCharset(int charset);

// The code pages of the charsets above, in the order a reader tries them.
const std::vector<int>& CharsetCodePages();

// The code pages a project is read in: one given for every file, or by default each
// designer file's own (from its fonts) and the project's. Each page is opened once.
class CodePages {
public:
    CodePages() = default;
    explicit CodePages(int forced);  // throws CodePageError

    const std::optional<int>& Forced() const { return forced_; }

    // Throws CodePageError when `number` is not available here.
    const CodePage& Get(int number) const;

private:
    std::optional<int> forced_;
    mutable std::map<int, CodePage> open_;
};

}  // namespace tolvane::host::files
