// The module's resources read as data: TYPELIB 1, _IID_CONNECT 1, the version information and
// the icon.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <vector>

#include "ServerTestSupport.h"
#include "tolvane/Version.h"

using namespace servertest;

namespace {

std::int32_t Int32At(const std::vector<unsigned char>& bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) throw std::out_of_range("past the end of the type library");
    return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                     static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

class ResourceTest : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(kDllPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << testing::PrintToString(std::wstring(kDllPath));
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    std::vector<unsigned char> Resource(const wchar_t* type, const wchar_t* name, WORD language) {
        HRSRC info = FindResourceExW(module_, type, name, language);
        if (!info) return {};
        HGLOBAL loaded = LoadResource(module_, info);
        const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
        return std::vector<unsigned char>(bytes, bytes + SizeofResource(module_, info));
    }

    HMODULE module_ = nullptr;
};

TEST_F(ResourceTest, TypeLibraryIsResourceOneLanguageNeutral) {
    const auto bytes = Resource(L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::memcmp(bytes.data(), "MSFT", 4), 0) << "a type library";
}

// The sizes as the library stores them for its own platform (the loader rescales them): the
// MSFT header (21 words, no help DLL), one offset per type, the segment directory whose first
// segment is the table of type records (0x64 bytes each); a record's typekind is its first
// word, its vtable size the 16-bit field at offset 78.
TEST_F(ResourceTest, StoredVtableSizeIsForTheModulesOwnPointerSize) {
    const auto bytes = Resource(L"TYPELIB", MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_GE(bytes.size(), 0x54u);
    ASSERT_EQ(Int32At(bytes, 20) & 0x100, 0) << "no help DLL word in the header";
    const std::int32_t typeCount = Int32At(bytes, 32);
    ASSERT_EQ(typeCount, 2);
    const std::size_t typeTable = static_cast<std::size_t>(Int32At(bytes, 0x54 + 4 * typeCount));
    std::vector<int> dispatchSizes;
    for (std::int32_t i = 0; i < typeCount; ++i) {
        const std::size_t record = typeTable + static_cast<std::size_t>(i) * 0x64;
        if ((Int32At(bytes, record) & 0xF) != TKIND_DISPATCH) continue;
        dispatchSizes.push_back(static_cast<std::int16_t>(bytes.at(record + 78) | bytes.at(record + 79) << 8));
    }
    // _Connect: IUnknown (3) + IDispatch (4) + 11 own slots (9 members, 2 placeholders).
    EXPECT_EQ(dispatchSizes, std::vector<int>{(7 + 11) * kPointerSize});
}

TEST_F(ResourceTest, IidConnectIsTwentyBytesLengthThenGuid) {
    const auto bytes = Resource(L"_IID_CONNECT", MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    const std::vector<unsigned char> expected = {0x10, 0x00, 0x00, 0x00,                          // 16
                                                 0xD2, 0x21, 0xBC, 0xBF, 0xCF, 0x05, 0xD3, 0x11,  // {BFBC21D2-05CF-11D3-
                                                 0xBA, 0x08, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}; //  BA08-204C4F4F5020}
    EXPECT_EQ(bytes, expected);
}

TEST_F(ResourceTest, IconForTheAboutBox) {
    HRSRC group = FindResourceW(module_, L"ABOUT_ICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const unsigned char*>(LockResource(LoadResource(module_, group)));
    ASSERT_NE(directory, nullptr);
    // GRPICONDIR: reserved, type 1, count; then one entry: width, height, colours, ..., bit count.
    EXPECT_EQ(directory[2], 1);
    EXPECT_EQ(directory[4], 1);
    EXPECT_EQ(directory[6], 32);
    EXPECT_EQ(directory[7], 32);
    EXPECT_EQ(directory[6 + 6], 8) << "256 colours";
}

TEST_F(ResourceTest, VersionInformation) {
    const auto bytes = Resource(MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_FALSE(bytes.empty()) << "version resource, language 1033";
    std::vector<unsigned char> block(bytes);  // VerQueryValueW wants a writable copy

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // The project's version: 1.0.0 gives 1.0.0.0 and the texts "1.00".
    const DWORD high = MAKELONG(TOLVANE_VERSION_MINOR, TOLVANE_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, TOLVANE_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    wchar_t versionText[32] = {};
    swprintf(versionText, 32, TOLVANE_VERSION_PATCH ? L"%d.%02d.%04d" : L"%d.%02d", TOLVANE_VERSION_MAJOR,
             TOLVANE_VERSION_MINOR, TOLVANE_VERSION_PATCH);
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {{L"ProductName", L"Tolvane"},          {L"FileVersion", versionText},
                   {L"ProductVersion", versionText},      {L"InternalName", L"Quenlow_AddIn"},
                   {L"OriginalFilename", L"Quenlow_AddIn.dll"}, {L"OLESelfRegister", L""}};
    for (const auto& entry : strings) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + entry.name;
        wchar_t* value = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &size))
            << testing::PrintToString(std::wstring(entry.name));
        EXPECT_EQ(std::wstring(value), entry.value) << testing::PrintToString(std::wstring(entry.name));
    }
}

}  // namespace
