// DllRegisterServer and DllUnregisterServer: the type library, the class with its ProgID,
// and the IDE's add-in entry read from the add-in designer's record.
#pragma once

#include <windows.h>

namespace tolvane::server {

// Writes every entry. A failure part-way removes what had been written and returns the
// failure's HRESULT.
HRESULT RegisterServer() noexcept;

// Removes exactly the entries RegisterServer writes; keys that are already gone count as
// removed. Parent keys (Addins, the IDE's 6.0 key, CLSID, TypeLib) are never touched.
HRESULT UnregisterServer() noexcept;

}  // namespace tolvane::server
