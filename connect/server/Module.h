// Module-wide state of Quenlow_AddIn.dll: its handle, the count of live objects and server
// locks that DllCanUnloadNow answers from, and the type information its objects share.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace tolvane::server {

HMODULE ModuleHandle() noexcept;
// Full path of this module file (throws ComError when the loader cannot tell).
std::wstring ModulePath();

// Every COM object of the module and every IClassFactory::LockServer(TRUE) holds one count.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
bool ModuleInUse() noexcept;

// One count held for as long as its owner (a COM object of the module) lives.
class ModuleLock {
public:
    ModuleLock() noexcept { ModuleAddRef(); }
    ~ModuleLock() { ModuleRelease(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

// _Connect's type information from the library embedded in this module, loaded on first use
// and kept until the module is unloaded; every Connect object serves its IDispatch from it.
// Throws ComError when the library cannot be read.
ITypeInfo& ConnectTypeInfo();

}  // namespace tolvane::server
