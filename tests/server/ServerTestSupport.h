// Shared pieces of the Wine tests of Quenlow_AddIn.dll (the i686 module under wine, the x86_64
// one under wine64): the module under test, the facts of its architecture, COM initialisation,
// registry reads, and a small IDispatch fake for objects the IDE would pass.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include "winapi/Com.h"
#include "winapi/ComObject.h"

namespace servertest {

using Microsoft::WRL::ComPtr;
using tolvane::winapi::ComApartment;

inline constexpr const wchar_t* kDllPath = TOLVANE_SERVER_DLL;
inline constexpr const wchar_t* kGeneratedDir = TOLVANE_SERVER_GENERATED_DIR;

// The architecture this build targets: the test process and the module share it.
inline constexpr int kPointerSize = sizeof(void*);
inline constexpr bool kIs64Bit = kPointerSize == 8;
inline constexpr SYSKIND kSysKind = kIs64Bit ? SYS_WIN64 : SYS_WIN32;
inline constexpr const wchar_t* kPlatformKey = kIs64Bit ? L"win64" : L"win32";  // below TypeLib\{lib}\1.0\0
// The registry view the module's classes land in, and the other one.
inline constexpr REGSAM kOwnView = kIs64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
inline constexpr REGSAM kOtherView = kIs64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// Identifiers as the product's documentation states them (written out, not taken from the
// module's headers, so a wrong identifier in the module shows up here).
inline constexpr GUID kLibId = {0xBFBC21D0, 0x05CF, 0x11D3, {0xBA, 0x08, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}};
inline constexpr GUID kIidConnect = {0xBFBC21D2, 0x05CF, 0x11D3, {0xBA, 0x08, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}};
inline constexpr GUID kClsidConnect = {0xBFBC21D3, 0x05CF, 0x11D3, {0xBA, 0x08, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}};
inline constexpr GUID kIidExtensibility2 = {0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
inline constexpr GUID kIidVbe = {0x0002E100, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kLibIdVbide = {0xEF404E00, 0xEDA6, 0x101A, {0x8D, 0xAF, 0x00, 0xDD, 0x01, 0x0F, 0x7E, 0xBB}};
inline constexpr GUID kLibIdOffice = {0x2DF8D04C, 0x5BFA, 0x101B, {0xBD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0xDE, 0x52}};

inline constexpr const wchar_t* kClassKey = L"CLSID\\{BFBC21D3-05CF-11D3-BA08-204C4F4F5020}";
inline constexpr const wchar_t* kTypeLibKey = L"TypeLib\\{BFBC21D0-05CF-11D3-BA08-204C4F4F5020}";
inline constexpr const wchar_t* kInterfaceKey = L"Interface\\{BFBC21D2-05CF-11D3-BA08-204C4F4F5020}";
inline constexpr const wchar_t* kVbKey = L"Software\\Microsoft\\Visual Basic\\6.0";
inline constexpr const wchar_t* kAddInKey = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Quenlow.Connect";

// The module loaded by path, with its four exports.
class ServerModule {
public:
    explicit ServerModule(const wchar_t* path = kDllPath);
    ~ServerModule();
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    bool Loaded() const { return module_ != nullptr; }
    std::wstring Path() const;  // as the loader resolved it

    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }
    HRESULT CanUnloadNow() const { return canUnload_(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const { return getClassObject_(clsid, iid, ppv); }

private:
    HMODULE module_ = nullptr;
    HRESULT(STDAPICALLTYPE* register_)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregister_)() = nullptr;
    HRESULT(STDAPICALLTYPE* canUnload_)() = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
};

// Registry reads: nullopt when the key or value is absent or has another type.
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0);
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name);
std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const wchar_t* name);
void WriteString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);
void DeleteTree(HKEY root, const std::wstring& key);
void DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name);

// Runs a program (command line as typed) and returns its exit code, or nullopt if it
// could not be started or did not finish within the time limit.
std::optional<DWORD> RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000);

std::wstring GuidString(REFGUID guid);
std::wstring ErrorDescription();  // GetErrorInfo's description, or empty

// An object the IDE might pass: IDispatch with no members; answers VBE's IID when told to.
// Counts its references so tests can see that the module releases what it took.
class FakeDispatch final : public tolvane::winapi::DispatchObject<> {
public:
    explicit FakeDispatch(bool answersVbe) : answersVbe_(answersVbe) {}

    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return tolvane::winapi::IdsOfNames(std::span<const tolvane::winapi::DispatchMember>(), riid, names, count, ids);
    }
    IFACEMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // The references held now, the test's own included.
    long References() {
        AddRef();
        return static_cast<long>(Release());
    }

private:
    void* InterfaceFor(REFIID iid) noexcept override {
        if (answersVbe_ && iid == kIidVbe) return static_cast<IDispatch*>(this);
        return tolvane::winapi::FindInterface(iid, {{IID_IDispatch, static_cast<IDispatch*>(this)}});
    }

    bool answersVbe_;
};

}  // namespace servertest
