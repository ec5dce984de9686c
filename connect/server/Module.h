// Module-wide state of Quenlow_AddIn.dll: its handle and the count of live objects and
// server locks that DllCanUnloadNow answers from.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane::server {

HMODULE ModuleHandle() noexcept;
// Full path of this module file (throws ComError when the loader cannot tell).
std::wstring ModulePath();

// Every COM object of the module and every IClassFactory::LockServer(TRUE) holds one count.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
bool ModuleInUse() noexcept;

}  // namespace tolvane::server
