// The add-in's connection object: the IDE talks to it when the add-in is connected and
// disconnected, and it owns the add-in window and the Add-Ins menu item.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "connect/Settings.h"
#include "host/Host.h"
#include "window/AddInWindowApi.h"

namespace tolvane {

using MessageBoxFunction = std::function<void(const std::string& text, const std::string& caption)>;

struct ConnectServices {
    AddInWindowFactory makeWindow;            // creates a window instance (not loaded)
    std::shared_ptr<SettingsStore> settings;  // "DisplayOnConnect" and the window's own
    MessageBoxFunction messageBox;            // one OK button
};

class Connect final : public AddInOwner {
public:
    explicit Connect(ConnectServices services);
    ~Connect() override;  // disconnects the click handler; never throws

    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    // Public members of _Connect
    bool FormDisplayed() const;
    void SetFormDisplayed(bool value);
    std::shared_ptr<host::Root> VBInstance() const;
    void SetVBInstance(std::shared_ptr<host::Root> root);
    std::shared_ptr<host::CommandBarEventSource> MenuHandler() const;
    // Hooks the source's Click to MenuHandler_Click (and unhooks the previous source).
    void SetMenuHandler(std::shared_ptr<host::CommandBarEventSource> source);

    void Show();                   // never throws
    void Hide() override;          // never throws
    void WindowClosed() override;  // close box: FormDisplayed := false
    // The window's own settings, beside DisplayOnConnect; throw when there is no store.
    std::string GetSetting(const std::string& key, const std::string& defaultValue) override;
    void SaveSetting(const std::string& key, const std::string& value) override;

    // Adds an item with that caption to the IDE's "Add-Ins" bar (in the VBA editor, the first of
    // "Add-Ins", "Tools" and "Menu Bar" it has). Never throws; null = none.
    std::shared_ptr<host::CommandBarControl> AddToAddInCommandBar(const std::string& sCaption);

    // Add-in designer events; both always "succeed" (never throw).
    // applicationAsRoot views the host's Application object as the IDE root: it returns it,
    // or throws HostError with the description of why not.
    void AddinInstance_OnConnection(const std::function<std::shared_ptr<host::Root>()>& applicationAsRoot,
                                    std::int32_t connectMode);
    void AddinInstance_OnDisconnection(std::int32_t removeMode);
    void MenuHandler_Click(const std::shared_ptr<host::CommandBarControl>& control, bool& handled,
                           bool& cancelDefault);

    // The menu item this object added (null when none); kept for the disconnection.
    std::shared_ptr<host::CommandBarControl> MenuItem() const;
    // True while a window instance exists (loaded or not).
    bool HasWindow() const;

private:
    AddInWindowApi& Window();  // the self-filling AddInWindow slot; may throw
    void ReleaseWindow() noexcept;
    void Report(const std::string& text) noexcept;

    ConnectServices services_;
    std::shared_ptr<host::Root> vbInstance_;
    std::shared_ptr<host::CommandBarEventSource> menuHandler_;
    std::shared_ptr<host::CommandBarControl> menuItem_;
    std::unique_ptr<AddInWindowApi> window_;
    bool formDisplayed_ = false;
    bool releasingWindow_ = false;
};

inline constexpr const char* kApplicationTitle = "Tolvane";

}  // namespace tolvane
