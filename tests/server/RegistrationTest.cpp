// DllRegisterServer / DllUnregisterServer, called directly and through regsvr32: every key and
// value that registration writes, and that unregistration removes exactly those and nothing of
// the IDE's.
#include <gtest/gtest.h>

#include <variant>
#include <vector>

#include "ServerTestSupport.h"

using namespace servertest;

namespace {

struct ExpectedValue {
    HKEY root;
    std::wstring key;
    const wchar_t* name;  // nullptr: default value
    std::variant<std::wstring, DWORD> data;
};

std::vector<ExpectedValue> ExpectedEntries(const std::wstring& modulePath) {
    const std::wstring clsid = L"{BFBC21D3-05CF-11D3-BA08-204C4F4F5020}";
    const std::wstring libid = L"{BFBC21D0-05CF-11D3-BA08-204C4F4F5020}";
    const std::wstring classKey = kClassKey;
    const std::wstring libKey = std::wstring(kTypeLibKey) + L"\\1.0";
    const std::wstring interfaceKey = kInterfaceKey;
    return {
        {HKEY_CLASSES_ROOT, classKey, nullptr, L"Quenlow.Connect"},
        {HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, modulePath},
        {HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, L"Quenlow.Connect"},
        {HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", nullptr, libid},
        {HKEY_CLASSES_ROOT, classKey + L"\\VERSION", nullptr, L"1.0"},
        {HKEY_CLASSES_ROOT, L"Quenlow.Connect\\CLSID", nullptr, clsid},
        {HKEY_CLASSES_ROOT, libKey, nullptr, L"Generates resizing code"},
        {HKEY_CLASSES_ROOT, libKey + L"\\0\\" + kPlatformKey, nullptr, modulePath},
        {HKEY_CLASSES_ROOT, interfaceKey, nullptr, L"_Connect"},
        {HKEY_CLASSES_ROOT, interfaceKey + L"\\TypeLib", nullptr, libid},
        {HKEY_CLASSES_ROOT, interfaceKey + L"\\TypeLib", L"Version", L"1.0"},
        // Automation marshaler for the dual interface.
        {HKEY_CLASSES_ROOT, interfaceKey + L"\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"},
        {HKEY_CURRENT_USER, kAddInKey, L"FriendlyName", L"Quenlow"},
        {HKEY_CURRENT_USER, kAddInKey, L"Description", L"Generates code to resize controls"},
        {HKEY_CURRENT_USER, kAddInKey, L"LoadBehavior", DWORD{0}},
        {HKEY_CURRENT_USER, kAddInKey, L"CommandLineSafe", DWORD{1}},
    };
}

// Keys that belong to the module alone: none may survive unregistration.
std::vector<std::pair<HKEY, std::wstring>> OwnKeys() {
    return {{HKEY_CLASSES_ROOT, kClassKey},
            {HKEY_CLASSES_ROOT, L"Quenlow.Connect"},
            {HKEY_CLASSES_ROOT, kTypeLibKey},
            {HKEY_CLASSES_ROOT, kInterfaceKey},
            {HKEY_CURRENT_USER, kAddInKey}};
}

void ExpectAllRegistered(const std::wstring& modulePath) {
    for (const ExpectedValue& value : ExpectedEntries(modulePath)) {
        const std::wstring where = value.key + L" : " + (value.name ? value.name : L"(default)");
        if (const auto* text = std::get_if<std::wstring>(&value.data)) {
            const auto actual = ReadString(value.root, value.key, value.name);
            ASSERT_TRUE(actual.has_value()) << "missing REG_SZ " << testing::PrintToString(where);
            EXPECT_EQ(*actual, *text) << testing::PrintToString(where);
        } else {
            const auto actual = ReadDword(value.root, value.key, value.name);
            ASSERT_TRUE(actual.has_value()) << "missing REG_DWORD " << testing::PrintToString(where);
            EXPECT_EQ(*actual, std::get<DWORD>(value.data)) << testing::PrintToString(where);
        }
    }
}

void ExpectNothingOfOursLeft() {
    for (const auto& [root, key] : OwnKeys()) EXPECT_FALSE(KeyExists(root, key)) << testing::PrintToString(key);
}

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module_.Loaded()) << "cannot load " << testing::PrintToString(std::wstring(kDllPath));
        module_.Unregister();  // a clean start even if an earlier run stopped half-way
    }
    void TearDown() override { module_.Unregister(); }

    ComApartment apartment_;
    ServerModule module_;
};

TEST_F(RegistrationTest, RegisterWritesClassProgIdLibraryInterfaceAndAddInEntry) {
    ASSERT_EQ(module_.Register(), S_OK);
    ExpectAllRegistered(module_.Path());
    // The library is filed language-neutral only.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kTypeLibKey) + L"\\1.0\\409"));
    // No satellite library is named.
    EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, kAddInKey, L"SatelliteDllName").has_value());
}

// A 32-bit module's class is seen by 32-bit programs (the IDE) and not by 64-bit ones, and
// the other way round; the IDE's add-in entry sits in the part of HKCU both share.
TEST_F(RegistrationTest, ClassLandsInTheRegistryViewOfTheModulesArchitecture) {
    ASSERT_EQ(module_.Register(), S_OK);
    const std::wstring classKey = std::wstring(L"Software\\Classes\\") + kClassKey;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, classKey, kOwnView));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, classKey, kOtherView));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kAddInKey, kOtherView));
}

TEST_F(RegistrationTest, RegisteredLibraryLoadsByLibIdForAnyLocale) {
    ASSERT_EQ(module_.Register(), S_OK);
    for (LCID lcid : {LCID{0}, LCID{0x0409}, LCID{0x0407}}) {
        ComPtr<ITypeLib> library;
        EXPECT_EQ(LoadRegTypeLib(kLibId, 1, 0, lcid, &library), S_OK) << std::hex << lcid;
    }
}

TEST_F(RegistrationTest, ProgIdLeadsToTheClass) {
    ASSERT_EQ(module_.Register(), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"Quenlow.Connect", &clsid), S_OK);
    EXPECT_EQ(clsid, kClsidConnect);
}

TEST_F(RegistrationTest, RegisteringTwiceThenUnregisteringLeavesNothing) {
    ASSERT_EQ(module_.Register(), S_OK);
    ASSERT_EQ(module_.Register(), S_OK);
    ExpectAllRegistered(module_.Path());
    ASSERT_EQ(module_.Unregister(), S_OK);
    ExpectNothingOfOursLeft();
}

TEST_F(RegistrationTest, UnregisteringWhatIsAlreadyGoneSucceeds) {
    EXPECT_EQ(module_.Unregister(), S_OK);
    EXPECT_EQ(module_.Unregister(), S_OK);
    ExpectNothingOfOursLeft();
}

TEST_F(RegistrationTest, UnregisterLeavesTheIdesOwnKeysAlone) {
    const std::wstring other = std::wstring(kVbKey) + L"\\Addins\\Other.Connect";
    WriteString(HKEY_CURRENT_USER, other, L"FriendlyName", L"Other");
    WriteString(HKEY_CURRENT_USER, kVbKey, L"TolvaneTestValue", L"kept");

    ASSERT_EQ(module_.Register(), S_OK);
    ASSERT_EQ(module_.Unregister(), S_OK);

    ExpectNothingOfOursLeft();
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, other, L"FriendlyName"), std::optional<std::wstring>(L"Other"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kVbKey, L"TolvaneTestValue"), std::optional<std::wstring>(L"kept"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kVbKey) + L"\\Addins"));

    DeleteTree(HKEY_CURRENT_USER, other);
    DeleteValue(HKEY_CURRENT_USER, kVbKey, L"TolvaneTestValue");
}

TEST_F(RegistrationTest, UnregisterKeepsAnEmptyAddinsKey) {
    ASSERT_EQ(module_.Register(), S_OK);
    ASSERT_EQ(module_.Unregister(), S_OK);
    // Addins and 6.0 belong to the IDE even when our entry was the last one in them.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::wstring(kVbKey) + L"\\Addins"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kVbKey));
}

TEST_F(RegistrationTest, Regsvr32RegistersAndUnregisters) {
    const std::wstring path = module_.Path();
    const auto registered = RunProcess(L"regsvr32.exe /s \"" + path + L"\"");
    ASSERT_TRUE(registered.has_value());
    EXPECT_EQ(*registered, 0u);
    ExpectAllRegistered(path);

    const auto unregistered = RunProcess(L"regsvr32.exe /u /s \"" + path + L"\"");
    ASSERT_TRUE(unregistered.has_value());
    EXPECT_EQ(*unregistered, 0u);
    ExpectNothingOfOursLeft();
}

}  // namespace
