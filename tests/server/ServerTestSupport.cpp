#include "ServerTestSupport.h"

#include <vector>

#include "winapi/Handles.h"

namespace servertest {

ServerModule::ServerModule(const wchar_t* path) {
    module_ = LoadLibraryW(path);
    if (!module_) return;
    auto bind = [this](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
            reinterpret_cast<void*>(GetProcAddress(module_, name)));
    };
    bind(register_, "DllRegisterServer");
    bind(unregister_, "DllUnregisterServer");
    bind(canUnload_, "DllCanUnloadNow");
    bind(getClassObject_, "DllGetClassObject");
    if (!register_ || !unregister_ || !canUnload_ || !getClassObject_) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
}

ServerModule::~ServerModule() {
    if (module_) FreeLibrary(module_);
}

std::wstring ServerModule::Path() const {
    std::wstring path(1024, L'\0');
    const DWORD length = GetModuleFileNameW(module_, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view) {
    tolvane::winapi::UniqueHKey handle;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, handle.put()) == ERROR_SUCCESS;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ) return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_ANY, &type, &value, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD) return std::nullopt;
    return value;
}

void WriteString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteTree(HKEY root, const std::wstring& key) {
    RegDeleteTreeW(root, key.c_str());  // empties the key
    RegDeleteKeyW(root, key.c_str());
}

void DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name) { RegDeleteKeyValueW(root, key.c_str(), name); }

std::optional<DWORD> RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return std::nullopt;
    CloseHandle(process.hThread);
    std::optional<DWORD> result;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result = code;
    }
    CloseHandle(process.hProcess);
    return result;
}

std::wstring GuidString(REFGUID guid) {
    wchar_t text[39] = {};
    StringFromGUID2(guid, text, 39);
    return text;
}

std::wstring ErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {};
    tolvane::winapi::UniqueBstr description;
    if (FAILED(info->GetDescription(description.put()))) return {};
    return std::wstring(tolvane::winapi::BstrView(description.get()));
}

}  // namespace servertest
