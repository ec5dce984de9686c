#include <gtest/gtest.h>

#include "forms/Text.h"
#include "forms/win32/Mapping.h"
#include "winapi/Text.h"

namespace tolvane::forms::win32 {
namespace {

TEST(TwipsToPixels, RoundsToTheNearestPixelSymmetrically) {
    struct Case {
        int twips, dpi, pixels;
    } cases[] = {
        {0, 96, 0},       {15, 96, 1},      {7, 96, 0},          {8, 96, 1},    {-8, 96, -1},
        {9570, 96, 638},  {6030, 96, 402},  {-3000, 96, -200},   {-15195, 96, -1013},
        {1440, 120, 120}, {9570, 120, 798}, {6030, 144, 603},
    };
    for (const Case& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

TEST(TwipsToPixels, AdjacentControlsStayAdjacent) {
    // Check1 at Left 120, Width 1995 ends where a box starting at 2115 begins.
    const RECT a = PixelRect(Rect{120, 60, 120 + 1995, 60 + 315}, 120, 120);
    const RECT b = PixelRect(Rect{2115, 60, 2115 + 195, 60 + 195}, 120, 120);
    EXPECT_EQ(a.right, b.left);
}

TEST(ScrollMapping, DownwardRangeRunsAscendingNatively) {
    const ScrollMapping down{0, -15195};
    EXPECT_EQ(down.NativeMax(), 15195);
    struct Case {
        int value, native;
    } cases[] = {{0, 0}, {-200, 200}, {-15195, 15195}, {100, 0}, {-20000, 15195}};
    for (const Case& c : cases) EXPECT_EQ(down.ToNative(c.value), c.native) << c.value;
    EXPECT_EQ(down.FromNative(200), -200);
    EXPECT_EQ(down.FromNative(99999), -15195);
    EXPECT_EQ(down.FromNative(-5), 0);

    const ScrollMapping up{10, 20};
    EXPECT_EQ(up.NativeMax(), 10);
    EXPECT_EQ(up.ToNative(15), 5);
    EXPECT_EQ(up.FromNative(5), 15);
    for (int value = -15195; value <= 0; value += 1013) EXPECT_EQ(down.FromNative(down.ToNative(value)), value);
}

TEST(ToColorRef, TakesRgbValuesAsTheyAreAndLooksUpSystemColours) {
    EXPECT_EQ(ToColorRef(0x00800000), RGB(0, 0, 128));  // the output boxes' dark blue
    EXPECT_EQ(ToColorRef(0x00808080), RGB(128, 128, 128));
    EXPECT_EQ(ToColorRef(0x80000012), ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(ToColorRef(0x8000000F), ::GetSysColor(COLOR_BTNFACE));
}

TEST(WideText, RoundTripsAndCountsAsTheStateCounts) {
    const std::string samples[] = {"", "Form1", "Größe €", "emoji \xF0\x9F\x98\x80 end", "a\r\nb"};
    for (const std::string& utf8 : samples) {
        const std::wstring wide = winapi::Utf8ToWide(utf8);
        EXPECT_EQ(winapi::WideToUtf8(wide), utf8);
        EXPECT_EQ(static_cast<int>(wide.size()), Utf16Length(utf8)) << utf8;
    }
    // What is not well formed becomes U+FFFD, and the rest of the text survives.
    EXPECT_EQ(winapi::Utf8ToWide("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(winapi::WideToUtf8(std::wstring(L"a") + wchar_t(0xD800) + L"b"), "a\xEF\xBF\xBD" "b");
}

TEST(DiffText, FindsTheSmallestReplacement) {
    struct Case {
        const wchar_t* before;
        const wchar_t* after;
        TextEdit edit;
    } cases[] = {
        {L"", L"x", {0, 0, L"x"}},
        {L"abc", L"abXc", {2, 0, L"X"}},
        {L"abc", L"ac", {1, 1, L""}},
        {L"abcdef", L"abZZef", {2, 2, L"ZZ"}},
        {L"same", L"same", {4, 0, L""}},
        {L"aaa", L"aaaa", {3, 0, L"a"}},
        {L"ab\r\ncd", L"ab\r\n\r\ncd", {4, 0, L"\r\n"}},
        // A CR typed before a line end: the replacement never starts or ends inside a CR LF.
        {L"a\r\n", L"a\r\r\n", {1, 2, L"\r\r\n"}},
        // A character whose low half changed is replaced whole, never half a surrogate pair.
        {L"x\xD83D\xDE00", L"x\xD83D\xDE01", {1, 2, L"\xD83D\xDE01"}},
    };
    for (const Case& c : cases) EXPECT_EQ(DiffText(c.before, c.after), c.edit) << "before: " << winapi::WideToUtf8(c.before);
}

}  // namespace
}  // namespace tolvane::forms::win32
