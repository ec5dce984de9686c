#include <gtest/gtest.h>

#include "vb/Names.h"

namespace tolvane::vb {
namespace {

struct IdentifierCase {
    const char* text;
    bool valid;
};

TEST(VbIdentifier, LettersOfEveryScriptButNoPunctuation) {
    const IdentifierCase cases[] = {
        {"Command1", true},
        {"a", true},
        {"txt_Name_2", true},
        {"CmdA\xC3\xB1" "adir", true},                   // CmdAñadir
        {"lbl\xE6\xAC\x8A\xE9\x99\x90", true},           // lbl權限
        {"\xD0\xBA\xD0\xBD\xD0\xBE\xD0\xBF\xD0\xBA\xD0\xB0" "1", true},  // кнопка1
        {"\xC2\xAA" "b", true},                          // ª is a letter
        {"", false},
        {"1abc", false},
        {"_abc", false},
        {"cmd OK", false},
        {"cmd-OK", false},
        {"a.b", false},
        {"a\"b", false},
        {"a'b", false},
        {"a(1)", false},
        {"\xC2\xBF" "Que", false},                       // ¿Que
        {"a\xC3\x97" "b", false},                        // a×b
        {"a\xC2\xA0" "b", false},                        // no-break space
        {"a\xE2\x80\x9C" "b", false},                    // left double quotation mark
        {"a\xE3\x80\x80" "b", false},                    // ideographic space
        {"a\xEF\xBC\x88" "b", false},                    // full-width left parenthesis
        {"a\xEF\xBF\xBD", false},                        // replacement character
        {"a\xC2\x85" "b", false},                        // C1 next-line control
        {"a\xFF" "b", false},                            // not UTF-8 at all
        {"a\xC3", false},                                // truncated sequence
        {"a\xED\xA0\x80", false},                        // encoded surrogate
        {"a\xC0\xAF", false},                            // overlong '/'
    };
    for (const auto& c : cases) EXPECT_EQ(IsVbIdentifier(c.text), c.valid) << Printable(c.text);
}

// Looking up a name read from a double-byte file: any character from U+0080 up may be a letter.
TEST(VbIdentifier, LookupNamesMayHoldAnyCharacterFromU0080Up) {
    EXPECT_TRUE(MayBeDoubleByteIdentifier("\xE2\x97\x8B\xC3\x97ox1"));  // ○×ox1
    EXPECT_FALSE(IsVbIdentifier("\xE2\x97\x8B\xC3\x97ox1"));
    EXPECT_FALSE(MayBeDoubleByteIdentifier("1\xC3\x97"));   // ASCII still follows the rule
    EXPECT_FALSE(MayBeDoubleByteIdentifier("a:\xC3\x97"));
    EXPECT_FALSE(MayBeDoubleByteIdentifier("a\xFF"));        // and the text must be UTF-8
    EXPECT_FALSE(MayBeDoubleByteIdentifier(std::string(256, 'a')));
}

TEST(VbIdentifier, AtMost255Characters) {
    EXPECT_TRUE(IsVbIdentifier(std::string(255, 'a')));
    EXPECT_FALSE(IsVbIdentifier(std::string(256, 'a')));
    std::string accented;  // characters, not bytes: 255 two-byte letters are fine
    for (int i = 0; i < 255; ++i) accented += "\xC3\xA9";
    EXPECT_TRUE(IsVbIdentifier(accented));
    EXPECT_FALSE(IsVbIdentifier(accented + "a"));
}

TEST(FoldCase, ComparesNamesAsWindowsDoes) {
    EXPECT_TRUE(SameNameIgnoringCase("Command1", "COMMAND1"));
    EXPECT_TRUE(SameNameIgnoringCase("CmdA\xC3\xB1" "adir", "CMDA\xC3\x91" "ADIR"));  // ñ / Ñ
    EXPECT_TRUE(SameNameIgnoringCase("\xD0\xBA\xD0\xBD", "\xD0\x9A\xD0\x9D"));     // кн / КН
    EXPECT_TRUE(SameNameIgnoringCase("\xC5\x82", "\xC5\x81"));                      // ł / Ł
    EXPECT_FALSE(SameNameIgnoringCase("Command1", "Command2"));
    EXPECT_FALSE(SameNameIgnoringCase("\xC3\x97", "\xC3\xB7"));                     // × is not ÷
    // DBCS-looking bytes are never folded as ASCII: "~" and "^" stay apart.
    EXPECT_FALSE(SameNameIgnoringCase("a~", "a^"));
}

TEST(FoldCase, KeywordsFoldAsciiLettersOnlyAndLeaveOtherBytesAlone) {
    EXPECT_TRUE(SameKeyword("beginproperty", "BeginProperty"));
    EXPECT_FALSE(SameKeyword("Begin", "BeginProperty"));
    EXPECT_FALSE(SameKeyword("\xC3\xB1", "\xC3\x91"));  // ñ / Ñ: not a keyword's letters
    EXPECT_FALSE(SameKeyword("a\x95\x5C", "a\x95\x7C"));  // a trail byte 0x5C is not "|"
}

TEST(ParseControlIndex, TakesDecimalDigitsUpTo32767) {
    EXPECT_EQ(ParseControlIndex("32767"), 32767);
    EXPECT_EQ(ParseControlIndex("007"), 7);
    for (const char* refused : {"", "32768", "99999999999", "-1", "1a", " 1"})
        EXPECT_EQ(ParseControlIndex(refused), std::nullopt) << refused;
}

TEST(Printable, EscapesWhatCannotBeShownOnOneLine) {
    EXPECT_EQ(Printable("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(Printable("a\x95\x5C" "b"), "a\\x95\\b");
    EXPECT_EQ(Printable(std::string("a\0b\r\n", 5)), "a\\x00b\\x0D\\x0A");
    EXPECT_EQ(Printable("\xC2\x85"), "\\xC2\\x85");
    EXPECT_EQ(Printable("a\xEF\xBB\xBF\xEF\xBF\xBE\xEF\xBF\xBF"), "a\\xEF\\xBB\\xBF\\xEF\\xBF\\xBE\\xEF\\xBF\\xBF");
}

TEST(Printable, QuotesOnlyAPrefixOfALongValueCutBetweenCharacters) {
    EXPECT_EQ(PrintablePrefix("short", 80), "short");
    EXPECT_EQ(PrintablePrefix(std::string(1000000, '.'), 80), std::string(80, '.') + "...");
    EXPECT_EQ(PrintablePrefix("ab\xC3\xA9\xC3\xA9", 3), "ab...");       // not inside é
    EXPECT_EQ(PrintablePrefix("ab\xC3\xA9\xC3\xA9", 4), "ab\xC3\xA9...");
    EXPECT_EQ(PrintablePrefix("a\nb\nc", 2), "a\\x0A...");
}

}  // namespace
}  // namespace tolvane::vb
