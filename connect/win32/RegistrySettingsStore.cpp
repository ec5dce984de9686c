// Values live where Visual Basic's own GetSetting and SaveSetting keep them, so a setting
// written by either side reads the same on the other.
#include "connect/win32/RegistrySettingsStore.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <windows.h>

#include "winapi/Failure.h"
#include "winapi/Handles.h"
#include "winapi/Text.h"

namespace tolvane {

namespace {

using winapi::Utf8ToWide;
using winapi::WideToUtf8;

constexpr const wchar_t* kRoot = L"Software\\VB and VBA Program Settings\\";

std::wstring KeyPath(const std::string& application, const std::string& section) {
    return kRoot + Utf8ToWide(application) + L"\\" + Utf8ToWide(section);
}

[[noreturn]] void Fail(const std::string& what, LSTATUS status) {
    throw std::runtime_error(what + ": " + winapi::DescribeFailure(HRESULT_FROM_WIN32(status)));
}

}  // namespace

std::string RegistrySettingsStore::GetSetting(const std::string& application, const std::string& section,
                                              const std::string& key, const std::string& defaultValue) {
    CheckName(application, section, key);
    const std::wstring path = KeyPath(application, section);
    const std::wstring name = Utf8ToWide(key);
    winapi::UniqueHKey opened;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, opened.put());
    if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
    if (status != ERROR_SUCCESS) Fail("Cannot open HKEY_CURRENT_USER\\" + WideToUtf8(path), status);

    // The value may change size between the two calls; try again until it fits.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, bytes = 0;
        status = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
        if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
        if (status != ERROR_SUCCESS) Fail("Cannot read setting '" + key + "'", status);
        // Only text counts as a setting, as GetSetting reads it.
        if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
        if (status != ERROR_SUCCESS) Fail("Cannot read setting '" + key + "'", status);
        std::size_t length = size / sizeof(wchar_t);
        // Stored text may or may not carry its terminator.
        while (length > 0 && buffer[length - 1] == L'\0') --length;
        return WideToUtf8(std::wstring_view(buffer.data(), length));
    }
    Fail("Cannot read setting '" + key + "'", ERROR_MORE_DATA);
}

void RegistrySettingsStore::SaveSetting(const std::string& application, const std::string& section,
                                        const std::string& key, const std::string& value) {
    CheckName(application, section, key);
    const std::wstring path = KeyPath(application, section);
    const std::wstring name = Utf8ToWide(key);
    const std::wstring text = Utf8ToWide(value);
    winapi::UniqueHKey created;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, created.put(), nullptr);
    if (status != ERROR_SUCCESS) Fail("Cannot create HKEY_CURRENT_USER\\" + WideToUtf8(path), status);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(created.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS) Fail("Cannot write setting '" + key + "'", status);
}

}  // namespace tolvane
