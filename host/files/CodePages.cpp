// The parts of CodePage that are the same on every platform: which code pages are
// double-byte, what a font's Charset says, and the cache of opened pages.
#include "host/files/CodePage.h"

namespace tolvane::host::files {

bool CodePage::IsDoubleByte() const { return number_ == 932 || number_ == 936 || number_ == 949 || number_ == 950; }

bool CodePage::IsLeadByte(unsigned char byte) const {
    if (number_ == 932) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return IsDoubleByte() && byte >= 0x81 && byte <= 0xFE;
}

namespace {

struct CharsetPage {
    int charset;
    int codePage;
};

// Windows' charset constants (SHIFTJIS_CHARSET, HANGEUL_CHARSET, ...) and their code pages.
constexpr CharsetPage kCharsetPages[] = {
    {128, 932}, {129, 949}, {134, 936}, {136, 950}, {238, 1250}, {204, 1251}, {161, 1253},
    {162, 1254}, {177, 1255}, {178, 1256}, {186, 1257}, {163, 1258}, {222, 874},
};

}  // namespace

int CodePageOfCharset(int charset) {
    for (const auto& entry : kCharsetPages)
        if (entry.charset == charset) return entry.codePage;
    return 0;
}

const std::vector<int>& CharsetCodePages() {
    static const std::vector<int> pages = [] {
        std::vector<int> out;
        for (const auto& entry : kCharsetPages) out.push_back(entry.codePage);
        return out;
    }();
    return pages;
}

CodePages::CodePages(int forced) : forced_(forced) { Get(forced); }

const CodePage& CodePages::Get(int number) const {
    auto found = open_.find(number);
    if (found == open_.end()) found = open_.emplace(number, CodePage(number)).first;
    return found->second;
}

}  // namespace tolvane::host::files
