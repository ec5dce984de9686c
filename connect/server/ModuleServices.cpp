// The services the module gives each Connect object: the add-in window, the settings in the
// registry where VB's SaveSetting keeps them, and the message box of a failed connection.
#include <windows.h>

#include <memory>

#include "connect/server/ComSupport.h"
#include "connect/server/ConnectObject.h"
#include "connect/win32/RegistrySettingsStore.h"
#include "window/frmAddIn.h"

namespace tolvane::server {

namespace {

void ShowMessageBox(const std::string& text, const std::string& caption) {
    const std::wstring wideText = Utf8ToWide(text);
    const std::wstring wideCaption = Utf8ToWide(caption);
    MessageBoxW(nullptr, wideText.c_str(), wideCaption.c_str(), MB_OK);
}

}  // namespace

ConnectServices ModuleServices() {
    ConnectServices services;
    // NOTE: no native realisation is attached yet, so the window runs on the headless forms
    // package: it loads, lists and generates, but nothing appears on screen. The Win32
    // realisation (forms/win32) is to be passed here as MakeAddInWindowFactory's realiser.
    services.makeWindow = MakeAddInWindowFactory();
    services.settings = std::make_shared<RegistrySettingsStore>();
    services.messageBox = ShowMessageBox;
    return services;
}

}  // namespace tolvane::server
