// The module's entry points: DllMain, the class factory of Connect, and the four exports;
// and what the module's objects share (the lock count, _Connect's type information).
//
// The factory serves exactly one class. Factories are counted like objects, so the module
// stays loaded while a client holds one, locked or not.
#include "connect/server/Module.h"

#include <ole2.h>

#include <wrl/client.h>

#include <cstdlib>
#include <new>
#include <string>

#include "Quenlow.h"
#include "connect/server/ComSupport.h"
#include "connect/server/ConnectObject.h"
#include "connect/server/Registration.h"
#include "winapi/ComObject.h"

namespace tolvane::server {

namespace {

HMODULE g_module = nullptr;
LONG g_moduleRefs = 0;  // live objects (Connect and factories) plus server locks

ITypeInfo* g_connectTypeInfo = nullptr;  // one reference, released at unload

class ClassFactory final : public winapi::ComObject<IClassFactory> {
public:
    // IClassFactory
    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return ConnectObject::Create(riid, ppv);
    }
    IFACEMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }

private:
    void* InterfaceFor(REFIID iid) noexcept override {
        return winapi::FindInterface(iid, {{IID_IClassFactory, static_cast<IClassFactory*>(this)}});
    }

    ModuleLock lock_;
};

}  // namespace

HMODULE ModuleHandle() noexcept { return g_module; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw ComError(HRESULT_FROM_WIN32(GetLastError()), "finding the module's file name");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

void ModuleAddRef() noexcept { InterlockedIncrement(&g_moduleRefs); }
void ModuleRelease() noexcept { InterlockedDecrement(&g_moduleRefs); }
bool ModuleInUse() noexcept { return InterlockedCompareExchange(&g_moduleRefs, 0, 0) != 0; }

ITypeInfo& ConnectTypeInfo() {
    if (ITypeInfo* cached = g_connectTypeInfo) return *cached;
    Microsoft::WRL::ComPtr<ITypeLib> library;
    ThrowIfFailed(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library),
                  "loading the type library of Quenlow_AddIn.dll");
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    ThrowIfFailed(library->GetTypeInfoOfGuid(IID__Connect, &info), "finding _Connect in the type library");
    // Should another thread have got there first, its copy is kept and this one let go.
    if (InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_connectTypeInfo), info.Get(), nullptr) == nullptr)
        info.Detach();
    return *g_connectTypeInfo;
}

}  // namespace tolvane::server

// Every entry point from Windows catches everything, so std::terminate means a fault of ours.
// libstdc++'s default handler would print the exception's demangled type to a standard error
// that nobody sees inside the IDE, and its demangler is a tenth of the module's size: stop at once.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

using namespace tolvane::server;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    // Unloaded by FreeLibrary: give back the type information. (At process exit the libraries
    // it belongs to may be gone already; nothing needs giving back then.)
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr && g_connectTypeInfo) {
        g_connectTypeInfo->Release();
        g_connectTypeInfo = nullptr;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != CLSID_Connect) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory();
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServer(); }
