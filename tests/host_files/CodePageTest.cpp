#include <gtest/gtest.h>

#include "host/files/CodePage.h"
#include "host/files/ProjectFiles.h"

namespace tolvane::host::files {
namespace {

struct DecodeCase {
    int codePage;
    const char* bytes;
    const char* utf8;
};

// Read and written back: the names of a form go into the code written into its file.
TEST(CodePage, DecodesTheAnsiCodePagesVbWritesInAndEncodesBack) {
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
        EXPECT_EQ(codePage.FromUtf8(c.utf8).value_or("(none)"), c.bytes) << c.codePage;
    }
}

TEST(CodePage, RefusesBytesThatAreNotTextInThatCodePage) {
    EXPECT_FALSE(CodePage(932).ToUtf8("a\x81").has_value());     // lead byte without its trail
    EXPECT_FALSE(CodePage(932).ToUtf8("\x81\x20").has_value());  // trail byte outside the range
    EXPECT_FALSE(CodePage(65001).ToUtf8("\xC3").has_value());
    EXPECT_FALSE(CodePage(1251).FromUtf8("Caf\xC3\xA9").has_value());  // no é, and no "e" for it
    EXPECT_FALSE(CodePage(932).FromUtf8("a\xFF").has_value());          // not UTF-8
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

// A form with one control named `name` (the file's bytes), then a font of `charset`:
// the font comes after the name it decides.
std::string FormWithFont(const std::string& name, int charset) {
    return "VERSION 5.00\r\nBegin VB.Form frm\r\n   Begin VB.Label " + name + "\r\n   End\r\n"
           "   BeginProperty Font\r\n      Name = \"x\"\r\n      Charset = 0\r\n   EndProperty\r\n"
           "   Begin VB.Label lbl\r\n      BeginProperty Font\r\n         Charset = 2\r\n      EndProperty\r\n"
           "      BeginProperty Font\r\n         Charset = " + std::to_string(charset) + "   'comment\r\n"
           "      EndProperty\r\n   End\r\nEnd\r\n";
}

TEST(CodePage, EachFileIsReadInTheCodePageItsFontsDeclare) {
    const struct {
        int charset;
        int codePage;
        const char* bytes;
        const char* utf8;
    } cases[] = {
        {128, 932, "\x95\x5C\x8E\xA6", "\xE8\xA1\xA8\xE7\xA4\xBA"},  // 表示
        {129, 949, "\xB4\xDC\xC0\xCF", "\xEB\x8B\xA8\xEC\x9D\xBC"},  // 단일
        {134, 936, "\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // 中文
        {136, 950, "\xC5\x76\xAD\xAD", "\xE6\xAC\x8A\xE9\x99\x90"},  // 權限
        {161, 1253, "a\xE1", "a\xCE\xB1"},                           // aα
        {162, 1254, "a\xFE", "a\xC5\x9F"},                           // aş
        {177, 1255, "a\xE0", "a\xD7\x90"},                           // aא
        {178, 1256, "a\xC7", "a\xD8\xA7"},                           // aا
        {186, 1257, "a\xE0", "a\xC4\x85"},                           // aą
        {163, 1258, "a\xD0", "a\xC4\x90"},                           // aĐ
        {204, 1251, "a\xEA", "a\xD0\xBA"},                           // aк
        {222, 874, "a\xA1", "a\xE0\xB8\x81"},                        // aก
        {238, 1250, "a\xB3", "a\xC5\x82"},                           // ał
        {0, 1252, "a\xF1", "a\xC3\xB1"},                             // añ: no font says otherwise
        {255, 1252, "a\xF1", "a\xC3\xB1"},                           // OEM names no code page
    };
    for (const auto& c : cases) {
        const DesignerFile file = ParseDesigner(FormWithFont(c.bytes, c.charset), "F.frm");
        EXPECT_EQ(file.codePage, c.codePage) << c.charset;
        EXPECT_EQ(file.controls.at(0).name, c.utf8) << c.charset;
    }
    // A code page given is used whatever the fonts say.
    EXPECT_EQ(ParseDesigner(FormWithFont("a\xF1", 204), "F.frm", CodePages(1252)).controls.at(0).name, "a\xC3\xB1");
}

// VB on an East Asian system takes any double-byte character as a letter of a name, symbols
// such as ○ and × included; single-byte characters follow the usual rule.
TEST(CodePage, DoubleByteCharactersAreLettersInEastAsianCodePages) {
    const struct {
        int codePage;
        const char* bytes;
        const char* utf8;  // nullptr: refused
    } cases[] = {
        {932, "\x81\x9B\x81\x7Eox1", "\xE2\x97\x8B\xC3\x97ox1"},  // ○×ox1, seen in a real form
        {932, "a\x81\x40", "a\xE3\x80\x80"},                      // ideographic space
        {936, "\xA1\xA2" "a", "\xE3\x80\x81" "a"},                 // 、a
        {949, "\xA1\xD8" "a", "\xE2\x80\xBB" "a"},                 // ※a
        {950, "\xA1\x42" "a", "\xE3\x80\x81" "a"},                 // 、a
        {932, "1\x81\x9B", nullptr},                               // a digit first, as ever
        {932, "a\xA1", nullptr},                                   // half-width full stop: one byte
        {1252, "\x81\x9B\x81\x7Eox1", nullptr},                     // no double-byte rule elsewhere
    };
    for (const auto& c : cases) {
        const std::string form = FormWithFont(c.bytes, 0);
        if (c.utf8) {
            EXPECT_EQ(ParseDesigner(form, "F.frm", CodePages(c.codePage)).controls.at(0).name, c.utf8) << c.codePage;
        } else {
            EXPECT_THROW(ParseDesigner(form, "F.frm", CodePages(c.codePage)), FileError) << c.codePage << c.bytes;
        }
    }
}

// A name that does not read in the code page used says which others would read it.
TEST(CodePage, ANameThatDoesNotReadSaysWhereItWould) {
    try {
        ParseDesigner(FormWithFont("\x81\x9B\x81\x7Eox1", 0), "F.frm");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Line(), 3);
        EXPECT_EQ(error.Problem(), "control name \"\\x81\\x9B\\x81~ox1\" cannot be read in code page 1252");
        EXPECT_EQ(error.CodePage(), 1252);
        EXPECT_EQ(error.ReadableIn(), (std::vector<int>{932, 936}));
    }
    try {
        ParseDesigner(FormWithFont("1abc", 0), "F.frm");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.CodePage(), 0);  // ASCII: no code page would help
    }
}

}  // namespace
}  // namespace tolvane::host::files
