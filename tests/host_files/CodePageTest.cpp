#include <gtest/gtest.h>

#include "host/files/CodePage.h"

namespace tolvane::host::files {
namespace {

struct DecodeCase {
    int codePage;
    const char* bytes;
    const char* utf8;
};

TEST(CodePage, DecodesTheAnsiCodePagesVbWritesIn) {
    const DecodeCase cases[] = {
        {1252, "CmdA\xF1" "adir", "CmdA\xC3\xB1" "adir"},                        // CmdAñadir
        {1252, "\x80\x9C", "\xE2\x82\xAC\xC5\x93"},                             // € œ (not Latin-1 controls)
        {932, "\x95\x5C\x8E\xA6", "\xE8\xA1\xA8\xE7\xA4\xBA"},                  // 表示: trail byte 0x5C
        {932, "lbl\x89\x7E", "lbl\xE5\x86\x86"},                                 // lbl円: trail byte 0x7E
        {932, "\\", "\\"},                                                        // a backslash, not a yen sign
        {1251, "\xEA\xED\xEE\xEF\xEA\xE0", "\xD0\xBA\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0"},  // кнопка
        {949, "\xB4\xDC\xC0\xCF", "\xEB\x8B\xA8\xEC\x9D\xBC"},                  // 단일
        {950, "\xC5\x76\xAD\xAD", "\xE6\xAC\x8A\xE9\x99\x90"},                  // 權限
        {1256, "\xC7\xE1", "\xD8\xA7\xD9\x84"},                                 // ال
        {65001, "\xC3\xA9", "\xC3\xA9"},
    };
    for (const auto& c : cases) {
        const CodePage codePage(c.codePage);
        const auto text = codePage.ToUtf8(c.bytes);
        ASSERT_TRUE(text.has_value()) << c.codePage << " " << c.bytes;
        EXPECT_EQ(*text, c.utf8) << c.codePage;
    }
}

TEST(CodePage, RefusesBytesThatAreNotTextInThatCodePage) {
    EXPECT_FALSE(CodePage(932).ToUtf8("a\x81").has_value());     // lead byte without its trail
    EXPECT_FALSE(CodePage(932).ToUtf8("\x81\x20").has_value());  // trail byte outside the range
    EXPECT_FALSE(CodePage(65001).ToUtf8("\xC3").has_value());
    // A failed conversion leaves the converter ready for the next one.
    const CodePage codePage(932);
    EXPECT_FALSE(codePage.ToUtf8("\x81").has_value());
    EXPECT_EQ(codePage.ToUtf8("\x95\x5C").value_or(""), "\xE8\xA1\xA8");
}

TEST(CodePage, RefusesUnknownAndNonAsciiCodePages) {
    EXPECT_THROW(CodePage(0), CodePageError);
    EXPECT_THROW(CodePage(-5), CodePageError);
    EXPECT_THROW(CodePage(70000), CodePageError);
    EXPECT_THROW(CodePage(12345), CodePageError);
    EXPECT_THROW(CodePage(37), CodePageError);    // EBCDIC: structure bytes are not ASCII there
    EXPECT_THROW(CodePage(1200), CodePageError);  // UTF-16
}

}  // namespace
}  // namespace tolvane::host::files
