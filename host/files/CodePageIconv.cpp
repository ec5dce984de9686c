// CodePage over the C library's iconv (every platform but Windows).
#ifndef _WIN32

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "host/files/CodePage.h"
#include "host/files/CodePageCommon.h"

namespace tolvane::host::files {

struct CodePage::Converter {
    iconv_t handle = reinterpret_cast<iconv_t>(-1);  // to UTF-8
    iconv_t back = reinterpret_cast<iconv_t>(-1);    // from UTF-8
    ~Converter() {
        if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
        if (back != reinterpret_cast<iconv_t>(-1)) iconv_close(back);
    }
};

namespace {

// iconv's name for a Windows code page. 932 must be CP932 (Microsoft's table): iconv's
// SHIFT_JIS turns 0x5C into a yen sign, which breaks paths.
std::string IconvName(int number) {
    switch (number) {
        case 65001: return "UTF-8";
        case 20127: return "ASCII";
        case 20932: return "EUC-JP";
        case 28591: case 28592: case 28593: case 28594: case 28595: case 28596: case 28597:
        case 28598: case 28599:
            return "ISO-8859-" + std::to_string(number - 28590);
        case 28605: return "ISO-8859-15";
        default: return "CP" + std::to_string(number);
    }
}

std::optional<std::string> Convert(iconv_t handle, std::string_view bytes) {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
    std::string out;
    std::vector<char> buffer(bytes.size() * 4 + 16);
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; the input is not written
    std::size_t inLeft = bytes.size();
    while (true) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result =
            inLeft == 0 ? iconv(handle, nullptr, nullptr, &outPtr, &outLeft) : iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                // Flush any pending shift sequence, then done.
                outPtr = buffer.data();
                outLeft = buffer.size();
                if (iconv(handle, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
                out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
                return out;
            }
            continue;
        }
        if (errno == E2BIG) continue;
        return std::nullopt;  // EILSEQ or EINVAL: invalid or truncated sequence
    }
}

}  // namespace

CodePage::CodePage(int number) : number_(number), converter_(std::make_unique<Converter>()) {
    if (number <= 0 || number > 65535) throw CodePageError("code page " + std::to_string(number) + " does not exist");
    converter_->handle = iconv_open("UTF-8", IconvName(number).c_str());
    converter_->back = iconv_open(IconvName(number).c_str(), "UTF-8");
    if (converter_->handle == reinterpret_cast<iconv_t>(-1) || converter_->back == reinterpret_cast<iconv_t>(-1))
        throw CodePageError("code page " + std::to_string(number) + " is not available");
    const std::string probe = detail::PrintableAscii();
    if (Convert(converter_->handle, probe) != probe)
        throw CodePageError("code page " + std::to_string(number) +
                            " does not keep ASCII as ASCII; Visual Basic files are never written in it");
}

CodePage::~CodePage() = default;
CodePage::CodePage(CodePage&&) noexcept = default;
CodePage& CodePage::operator=(CodePage&&) noexcept = default;

std::optional<std::string> CodePage::ToUtf8(std::string_view bytes) const {
    if (detail::IsAscii(bytes)) return std::string(bytes);
    return Convert(converter_->handle, bytes);
}

std::optional<std::string> CodePage::FromUtf8(std::string_view utf8) const {
    if (detail::IsAscii(utf8)) return std::string(utf8);
    return Convert(converter_->back, utf8);
}

}  // namespace tolvane::host::files

#endif  // !_WIN32
