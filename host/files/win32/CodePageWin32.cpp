// CodePage over MultiByteToWideChar / WideCharToMultiByte (Windows).
#ifdef _WIN32

#include <windows.h>

#include "host/files/CodePage.h"
#include "host/files/CodePageCommon.h"

namespace tolvane::host::files {

struct CodePage::Converter {
    UINT codePage = 0;
    DWORD flags = MB_ERR_INVALID_CHARS;
    // Windows maps the bytes an ANSI code page leaves undefined (0x81 in 1252, 0x80 in
    // 932, ...) to C1 control characters instead of failing; iconv refuses them. Refused
    // here too, so that a file reads the same on every system. Only the ISO 8859 pages and
    // UTF-8 have C1 controls as characters.
    bool controlsAreText = false;
};

namespace {

std::optional<std::string> Convert(UINT codePage, DWORD flags, bool controlsAreText, std::string_view bytes);

}  // namespace

CodePage::CodePage(int number) : number_(number), converter_(std::make_unique<Converter>()) {
    if (number <= 0 || number > 65535) throw CodePageError("code page " + std::to_string(number) + " does not exist");
    converter_->codePage = static_cast<UINT>(number);
    converter_->controlsAreText = (number >= 28591 && number <= 28605) || number == 65001;
    if (!IsValidCodePage(converter_->codePage))
        throw CodePageError("code page " + std::to_string(number) + " is not available");
    // Some code pages (the ISO-2022 family, UTF-7) refuse MB_ERR_INVALID_CHARS.
    const char probeByte = 'A';
    if (MultiByteToWideChar(converter_->codePage, MB_ERR_INVALID_CHARS, &probeByte, 1, nullptr, 0) == 0 &&
        GetLastError() == ERROR_INVALID_FLAGS)
        converter_->flags = 0;
    const std::string probe = detail::PrintableAscii();
    if (Convert(converter_->codePage, converter_->flags, converter_->controlsAreText, probe) != probe)
        throw CodePageError("code page " + std::to_string(number) +
                            " does not keep ASCII as ASCII; Visual Basic files are never written in it");
}

CodePage::~CodePage() = default;
CodePage::CodePage(CodePage&&) noexcept = default;
CodePage& CodePage::operator=(CodePage&&) noexcept = default;

namespace {

std::optional<std::string> Convert(UINT codePage, DWORD flags, bool controlsAreText, std::string_view bytes) {
    if (bytes.empty()) return std::string();
    if (bytes.size() > 0x3FFFFFFF) return std::nullopt;
    const int inLength = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(codePage, flags, bytes.data(), inLength, nullptr, 0);
    if (wideLength <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), inLength, wide.data(), wideLength) != wideLength)
        return std::nullopt;
    if (!controlsAreText)
        for (const wchar_t c : wide)
            if (c >= 0x80 && c <= 0x9F) return std::nullopt;
    const int outLength = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(outLength), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), outLength, nullptr, nullptr) != outLength)
        return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> CodePage::ToUtf8(std::string_view bytes) const {
    if (detail::IsAscii(bytes)) return std::string(bytes);
    return Convert(converter_->codePage, converter_->flags, converter_->controlsAreText, bytes);
}

// UTF-8 to UTF-16 to the code page; WideCharToMultiByte puts a look-alike ("e" for "é") or
// "?" for a character the code page has not, so the result must read back as the text.
std::optional<std::string> CodePage::FromUtf8(std::string_view utf8) const {
    if (detail::IsAscii(utf8)) return std::string(utf8);
    if (utf8.size() > 0x3FFFFFFF) return std::nullopt;
    const int inLength = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, nullptr, 0);
    if (wideLength <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inLength, wide.data(), wideLength);
    const UINT page = converter_->codePage;
    const int outLength = WideCharToMultiByte(page, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(outLength), '\0');
    WideCharToMultiByte(page, 0, wide.data(), wideLength, out.data(), outLength, nullptr, nullptr);
    if (ToUtf8(out) != std::string(utf8)) return std::nullopt;
    return out;
}

}  // namespace tolvane::host::files

#endif  // _WIN32
