// Registration data and the code that writes and removes it.
//
// The COM entries are a table; the type library (and, through it, the interface _Connect) is
// registered by the system from the library embedded in this module; the IDE's add-in entry
// is written from the add-in designer's record, so its values are stated only there.
#include "connect/server/Registration.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <string_view>
#include <vector>

#include "Quenlow.h"
#include "connect/server/AddInRegistration.h"
#include "connect/server/ComSupport.h"
#include "connect/server/Module.h"
#include "winapi/Handles.h"
#include "winapi/Text.h"

using Microsoft::WRL::ComPtr;

namespace tolvane::server {

namespace {

using winapi::UniqueHKey;

constexpr const wchar_t* kProgId = L"Quenlow.Connect";
constexpr WORD kLibraryMajor = 1;
constexpr WORD kLibraryMinor = 0;

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39] = {};
    if (StringFromGUID2(guid, text, 39) == 0) throw ComError(E_UNEXPECTED, "formatting a GUID");
    return text;
}

std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_Connect); }

[[noreturn]] void ThrowRegistry(LSTATUS status, const std::wstring& key) {
    throw ComError(HRESULT_FROM_WIN32(static_cast<DWORD>(status)), "registry key " + winapi::WideToUtf8(key));
}

UniqueHKey CreateKey(HKEY root, const std::wstring& key) {
    UniqueHKey handle;
    const LSTATUS status =
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, handle.put(), nullptr);
    if (status != ERROR_SUCCESS) ThrowRegistry(status, key);
    return handle;
}

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& data) {
    const UniqueHKey handle = CreateKey(root, key);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LSTATUS status =
        RegSetValueExW(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    if (status != ERROR_SUCCESS) ThrowRegistry(status, key);
}

void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD data) {
    const UniqueHKey handle = CreateKey(root, key);
    const LSTATUS status =
        RegSetValueExW(handle.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
    if (status != ERROR_SUCCESS) ThrowRegistry(status, key);
}

// Deletes a key with everything below it. A key that does not exist counts as deleted.
// (Written out rather than RegDeleteTreeW so that nothing but the named key can go.)
void DeleteTree(HKEY root, const std::wstring& key) {
    UniqueHKey handle;
    LSTATUS status = RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put());
    if (status == ERROR_FILE_NOT_FOUND) return;
    if (status != ERROR_SUCCESS) ThrowRegistry(status, key);
    for (;;) {
        wchar_t child[256];
        DWORD length = 256;
        status = RegEnumKeyExW(handle.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) ThrowRegistry(status, key);
        DeleteTree(root, key + L"\\" + std::wstring(child, length));
    }
    handle.reset();
    status = RegDeleteKeyW(root, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ThrowRegistry(status, key);
}

bool KeyExists(HKEY root, const std::wstring& key) {
    UniqueHKey handle;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

// ---- the IDE's add-in entry, from the designer's record ----

struct AddInKey {
    HKEY root;
    std::wstring key;  // ...\Addins\Quenlow.Connect
};

// Texts in the record are single-byte; they are ASCII, read as Windows-1252 for definiteness.
std::wstring RecordText(const std::string& text) {
    if (text.empty()) return {};
    const int needed = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (needed <= 0) throw ComError(E_INVALIDARG, "add-in registration record: text not in code page 1252");
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(), needed);
    return wide;
}

AddInKey AddInEntryKey(const AddInEntry& entry) {
    const std::wstring root = RecordText(entry.registryRoot);
    struct Hive {
        std::wstring_view name;
        HKEY key;
    };
    static const Hive hives[] = {{L"HKEY_CURRENT_USER\\", HKEY_CURRENT_USER},
                                 {L"HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE}};
    for (const Hive& hive : hives) {
        if (root.size() > hive.name.size() && root.compare(0, hive.name.size(), hive.name) == 0)
            return {hive.key, root.substr(hive.name.size()) + L"\\Addins\\" + kProgId};
    }
    throw ComError(E_INVALIDARG, "add-in registration record: unsupported registry root " + entry.registryRoot);
}

AddInEntry ReadRecord() {
    try {
        return ParseAddInRegistration(kAddInRegistrationRecord);
    } catch (const std::invalid_argument& e) {
        throw ComError(E_UNEXPECTED, e.what());
    }
}

void RegisterAddInEntry() {
    const AddInEntry entry = ReadRecord();
    if (!entry.additionalKey.empty())
        throw ComError(E_NOTIMPL, "add-in registration record: an additional registry key is not supported");
    const AddInKey target = AddInEntryKey(entry);
    SetString(target.root, target.key, L"FriendlyName", RecordText(entry.friendlyName));
    SetString(target.root, target.key, L"Description", RecordText(entry.description));
    SetDword(target.root, target.key, L"LoadBehavior", entry.loadBehavior);
    SetDword(target.root, target.key, L"CommandLineSafe", entry.commandLineSafe);
    if (!entry.satelliteDllName.empty())
        SetString(target.root, target.key, L"SatelliteDllName", RecordText(entry.satelliteDllName));
}

void UnregisterAddInEntry() {
    const AddInKey target = AddInEntryKey(ReadRecord());
    DeleteTree(target.root, target.key);
}

// ---- the class and its ProgID ----

struct RegEntry {
    std::wstring key;      // below HKEY_CLASSES_ROOT
    const wchar_t* name;   // nullptr: the key's default value
    std::wstring data;
};

std::vector<RegEntry> ClassEntries(const std::wstring& modulePath) {
    const std::wstring clsid = GuidText(CLSID_Connect);
    const std::wstring classKey = ClassKey();
    return {
        {classKey, nullptr, kProgId},
        {classKey + L"\\InprocServer32", nullptr, modulePath},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\ProgID", nullptr, kProgId},
        {classKey + L"\\TypeLib", nullptr, GuidText(LIBID_Quenlow)},
        {classKey + L"\\VERSION", nullptr, L"1.0"},
        {kProgId, nullptr, kProgId},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, clsid},
    };
}

// ---- the type library ----

SYSKIND ModuleSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }
const wchar_t* ModulePlatformKey() { return sizeof(void*) == 8 ? L"win64" : L"win32"; }

std::wstring LibraryVersionKey() { return L"TypeLib\\" + GuidText(LIBID_Quenlow) + L"\\1.0"; }

// Lower-case hexadecimal, as RegisterTypeLib names locale keys ("409"). Written out: the
// printf family would bring MinGW's whole formatter into the module.
std::wstring LcidKeyName(LCID lcid) {
    std::wstring text;
    do {
        text.insert(text.begin(), L"0123456789abcdef"[lcid & 0xF]);
        lcid >>= 4;
    } while (lcid != 0);
    return text;
}

// The library states locale 0x0409 (its texts are US English), and RegisterTypeLib files it
// under that locale. It is registered language-neutral instead (locale 0), which every
// locale's LoadRegTypeLib falls back to; under 409 only US-English lookups would find it.
void RegisterLibrary(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    ThrowIfFailed(LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library), "loading the type library");
    std::wstring path = modulePath;  // RegisterTypeLib takes a non-const string
    ThrowIfFailed(RegisterTypeLib(library.Get(), path.data(), nullptr), "registering the type library");

    TLIBATTR* attributes = nullptr;
    ThrowIfFailed(library->GetLibAttr(&attributes), "reading the type library's attributes");
    const LCID lcid = attributes->lcid;
    library->ReleaseTLibAttr(attributes);
    if (lcid == LOCALE_NEUTRAL) return;
    SetString(HKEY_CLASSES_ROOT, LibraryVersionKey() + L"\\0\\" + ModulePlatformKey(), nullptr, modulePath);
    DeleteTree(HKEY_CLASSES_ROOT, LibraryVersionKey() + L"\\" + LcidKeyName(lcid));
}

void UnregisterLibrary() {
    if (!KeyExists(HKEY_CLASSES_ROOT, LibraryVersionKey() + L"\\0")) {
        // Library gone already; an interface key left by a damaged registration is still ours.
        DeleteTree(HKEY_CLASSES_ROOT, L"Interface\\" + GuidText(IID__Connect));
        return;
    }
    ThrowIfFailed(UnRegisterTypeLib(LIBID_Quenlow, kLibraryMajor, kLibraryMinor, LOCALE_NEUTRAL, ModuleSysKind()),
                  "unregistering the type library");
}

void Register() {
    const std::wstring modulePath = ModulePath();
    RegisterLibrary(modulePath);
    for (const RegEntry& entry : ClassEntries(modulePath))
        SetString(HKEY_CLASSES_ROOT, entry.key, entry.name, entry.data);
    RegisterAddInEntry();
}

void Unregister() {
    // Every part is attempted; the first failure is reported after the rest has run.
    HRESULT first = S_OK;
    auto attempt = [&](auto&& step) {
        const HRESULT hr = ComBoundary(GUID_NULL, [&] {
            step();
            return S_OK;
        });
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    };
    attempt([] { UnregisterAddInEntry(); });
    attempt([] { DeleteTree(HKEY_CLASSES_ROOT, kProgId); });
    attempt([] { DeleteTree(HKEY_CLASSES_ROOT, ClassKey()); });
    attempt([] { UnregisterLibrary(); });
    if (FAILED(first)) throw ComError(first, "unregistering Quenlow_AddIn.dll");
}

}  // namespace

HRESULT RegisterServer() noexcept {
    const HRESULT hr = ComBoundary(GUID_NULL, [] {
        Register();
        return S_OK;
    });
    if (FAILED(hr)) {
        // Leave nothing half-written; the registration's own failure is the one reported.
        ComBoundary(GUID_NULL, [] {
            Unregister();
            return S_OK;
        });
    }
    return hr;
}

HRESULT UnregisterServer() noexcept {
    return ComBoundary(GUID_NULL, [] {
        Unregister();
        return S_OK;
    });
}

}  // namespace tolvane::server
