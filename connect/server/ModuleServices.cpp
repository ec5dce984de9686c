// The services the module gives each Connect object: the add-in window, the settings in the
// registry where VB's SaveSetting keeps them, and the message box of a failed connection.
#include <windows.h>

#include <memory>

#include "connect/server/ConnectObject.h"
#include "connect/win32/RegistrySettingsStore.h"
#include "forms/win32/Realiser.h"
#include "window/frmAddIn.h"
#include "winapi/Text.h"

namespace tolvane::server {

namespace {

void ShowMessageBox(const std::string& text, const std::string& caption) {
    const std::wstring wideText = winapi::Utf8ToWide(text);
    const std::wstring wideCaption = winapi::Utf8ToWide(caption);
    MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), MB_OK);
}

}  // namespace

ConnectServices ModuleServices() {
    ConnectServices services;
    // Each Connect gets its own realiser: native windows for frmAddIn and frmAbout, icons
    // from this module's resources, and window errors reported in a message box.
    const auto realiser = forms::win32::Realiser::Create({.errorCaption = kApplicationTitle});
    services.makeWindow = MakeAddInWindowFactory(realiser->AsFormRealiser());
    services.settings = std::make_shared<RegistrySettingsStore>();
    services.messageBox = ShowMessageBox;
    return services;
}

}  // namespace tolvane::server
