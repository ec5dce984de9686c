#include "connect/win32/RegistrySettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "winapi/Handles.h"

namespace {

// A test application name of its own, so a real "Tolvane" setting is never touched.
constexpr const char* kApplication = "Tolvane Test";
constexpr const wchar_t* kAppKey = L"Software\\VB and VBA Program Settings\\Tolvane Test";

class RegistrySettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey); }

    // The raw value as the registry holds it.
    bool ReadRaw(const std::wstring& section, const std::wstring& name, DWORD& type, std::wstring& text) {
        const std::wstring path = std::wstring(kAppKey) + L"\\" + section;
        tolvane::winapi::UniqueHKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return false;
        wchar_t buffer[256] = {};
        DWORD size = sizeof buffer - sizeof(wchar_t);
        const LSTATUS status =
            RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        text = buffer;
        return status == ERROR_SUCCESS;
    }

    tolvane::RegistrySettingsStore store;
};

TEST_F(RegistrySettingsStoreTest, WritesTextWhereVisualBasicKeepsIt) {
    store.SaveSetting(kApplication, "Settings", "DisplayOnConnect", "1");
    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(ReadRaw(L"Settings", L"DisplayOnConnect", type, text));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text, L"1");
    EXPECT_EQ(store.GetSetting(kApplication, "Settings", "DisplayOnConnect", "0"), "1");

    store.SaveSetting(kApplication, "Settings", "DisplayOnConnect", "0");
    EXPECT_EQ(store.GetSetting(kApplication, "Settings", "DisplayOnConnect", "1"), "0");
}

TEST_F(RegistrySettingsStoreTest, MissingValuesReadAsTheDefault) {
    EXPECT_EQ(store.GetSetting(kApplication, "Settings", "DisplayOnConnect", "0"), "0");  // no key at all
    store.SaveSetting(kApplication, "Settings", "Other", "x");
    EXPECT_EQ(store.GetSetting(kApplication, "Settings", "DisplayOnConnect", "0"), "0");  // key, no value
    EXPECT_EQ(store.GetSetting(kApplication, "Elsewhere", "Other", "d"), "d");
}

TEST_F(RegistrySettingsStoreTest, TextRoundTripsThroughUtf16) {
    const std::vector<std::string> values = {"", "Gr\xC3\xBC\xC3\x9F" "e", "\xF0\x9F\x98\x80 wide", std::string(1000, 'a')};
    for (const auto& value : values) {
        store.SaveSetting(kApplication, "Settings", "Text", value);
        EXPECT_EQ(store.GetSetting(kApplication, "Settings", "Text", "default"), value);
    }
    DWORD type = 0;
    std::wstring raw;
    store.SaveSetting(kApplication, "Settings", "Text", "Gr\xC3\xBC\xC3\x9F" "e");
    ASSERT_TRUE(ReadRaw(L"Settings", L"Text", type, raw));
    EXPECT_EQ(raw, L"Gr\x00FC\x00DF" L"e");
}

TEST_F(RegistrySettingsStoreTest, ValueThatIsNoTextReadsAsTheDefault) {
    store.SaveSetting(kApplication, "Settings", "Other", "x");
    tolvane::winapi::UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kAppKey) + L"\\Settings").c_str(), 0, KEY_SET_VALUE,
                            key.put()),
              ERROR_SUCCESS);
    const DWORD number = 1;
    RegSetValueExW(key.get(), L"DisplayOnConnect", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    EXPECT_EQ(store.GetSetting(kApplication, "Settings", "DisplayOnConnect", "0"), "0");
}

TEST_F(RegistrySettingsStoreTest, EmptyNamesAreRefusedAndMalformedTextKeepsItsPlace) {
    EXPECT_THROW(store.SaveSetting("", "Settings", "Key", "1"), std::runtime_error);
    // Bytes that are no UTF-8 are stored as U+FFFD each, as every conversion at the edge does.
    store.SaveSetting(kApplication, "Settings", "Key", "a\xFF\xFE" "b");
    DWORD type = 0;
    std::wstring raw;
    ASSERT_TRUE(ReadRaw(L"Settings", L"Key", type, raw));
    EXPECT_EQ(raw, L"a\xFFFD\xFFFD" L"b");
}

}  // namespace
