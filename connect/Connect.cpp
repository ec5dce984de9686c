// The connection object. Its handlers are entered from the IDE, so none of them lets an
// exception out: the connection reports its first failure in a message box, Show, Hide and
// the disconnection run every step under its own guard, and AddToAddInCommandBar answers
// failures with an empty result.
#include "connect/Connect.h"
#include "vb/Errors.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tolvane {

namespace {

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kDisplayOnConnect = "DisplayOnConnect";
constexpr const char* kMenuCaption = "Quenlow";
// Office raises a button's Click for every button that shares its Tag (or, untagged, its Id,
// which every custom button has): the VBA editor's item carries the add-in's ProgID.
constexpr const char* kMenuTag = "Quenlow.Connect";
constexpr std::int32_t kConnectModeAfterStartup = 0;
constexpr std::int32_t kConnectModeExternal = 2;
constexpr std::int16_t kButtonControl = 1;

// The bars the item may go on, the first the IDE has. VB6: its Add-Ins menu. The VBA editor:
// its Add-Ins menu too (beside the Add-In Manager that loads the add-in, where VB6 users find
// it), else the Tools menu every VBA editor has, else the menu bar itself.
std::vector<const char*> MenuBarsFor(host::Editor editor) {
    if (editor == host::Editor::kVba) return {"Add-Ins", "Tools", "Menu Bar"};
    return {"Add-Ins"};
}

// The first of the bars the IDE has, or null. Office fails the lookup of a bar it has not.
std::shared_ptr<host::CommandBar> FirstBar(host::CommandBars& bars, const std::vector<const char*>& names) {
    for (const char* name : names) {
        try {
            if (auto bar = bars.Item(name)) return bar;
        } catch (const host::HostError&) {
        }
    }
    return nullptr;
}

// Runs one step; a failure of the step is dropped so that the next one runs.
template <class Step>
void Guarded(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}


}  // namespace

Connect::Connect(ConnectServices services) : services_(std::move(services)) {}

Connect::~Connect() {
    // The event source may outlive this object; it must not call into it afterwards.
    if (menuHandler_) Guarded([&] { menuHandler_->SetClickHandler({}); });
    // Release the window while this object is still whole: it may call back as it goes.
    ReleaseWindow();
}

bool Connect::FormDisplayed() const { return formDisplayed_; }

void Connect::SetFormDisplayed(bool value) { formDisplayed_ = value; }

std::shared_ptr<host::Root> Connect::VBInstance() const { return vbInstance_; }

void Connect::SetVBInstance(std::shared_ptr<host::Root> root) { vbInstance_ = std::move(root); }

std::shared_ptr<host::CommandBarEventSource> Connect::MenuHandler() const { return menuHandler_; }

void Connect::SetMenuHandler(std::shared_ptr<host::CommandBarEventSource> source) {
    if (source == menuHandler_) return;
    if (source) {
        source->SetClickHandler([this](const std::shared_ptr<host::CommandBarControl>& control, bool& handled,
                                       bool& cancelDefault) { MenuHandler_Click(control, handled, cancelDefault); });
    }
    // The old source stops delivering to us; if it cannot be told, its clicks still only show the window.
    if (menuHandler_) Guarded([&] { menuHandler_->SetClickHandler({}); });
    menuHandler_ = std::move(source);
}

std::shared_ptr<host::CommandBarControl> Connect::MenuItem() const { return menuItem_; }

bool Connect::HasWindow() const { return window_ != nullptr; }

AddInWindowApi& Connect::Window() {
    if (!window_) {
        // While the old instance is being destroyed nothing may put a new one in its place.
        if (releasingWindow_) throw std::logic_error(vb::kObjectNotSet);
        if (!services_.makeWindow) throw std::logic_error(vb::kObjectNotSet);
        window_ = services_.makeWindow();
        if (!window_) throw std::logic_error(vb::kObjectNotSet);
    }
    return *window_;
}

void Connect::ReleaseWindow() noexcept {
    if (releasingWindow_) return;
    releasingWindow_ = true;
    std::unique_ptr<AddInWindowApi> old = std::move(window_);
    old.reset();
    releasingWindow_ = false;
}

void Connect::Report(const std::string& text) noexcept {
    if (!services_.messageBox) return;
    Guarded([&] { services_.messageBox(text, kApplicationTitle); });
}

void Connect::Show() {
    Guarded([&] { Window(); });
    Guarded([&] { Window().SetVBInstance(vbInstance_); });
    Guarded([&] { Window().SetConnect(this); });
    formDisplayed_ = true;
    Guarded([&] { Window().Show(); });
}

void Connect::Hide() {
    formDisplayed_ = false;
    Guarded([&] { Window().Hide(); });
}

void Connect::WindowClosed() {
    // The window has unloaded itself and stays in the slot; the next Show loads it afresh.
    // Not displayed any more, so the next IDE start does not bring it back.
    formDisplayed_ = false;
}

std::string Connect::GetSetting(const std::string& key, const std::string& defaultValue) {
    if (!services_.settings) throw std::logic_error(vb::kObjectNotSet);
    return services_.settings->GetSetting(kApplicationTitle, kSettingsSection, key, defaultValue);
}

void Connect::SaveSetting(const std::string& key, const std::string& value) {
    if (!services_.settings) throw std::logic_error(vb::kObjectNotSet);
    services_.settings->SaveSetting(kApplicationTitle, kSettingsSection, key, value);
}

std::shared_ptr<host::CommandBarControl> Connect::AddToAddInCommandBar(const std::string& sCaption) {
    try {
        if (!vbInstance_) return nullptr;
        auto bars = vbInstance_->CommandBars();
        if (!bars) return nullptr;
        const host::Editor editor = vbInstance_->Kind();
        auto bar = FirstBar(*bars, MenuBarsFor(editor));
        if (!bar) return nullptr;
        auto controls = bar->Controls();
        if (!controls) return nullptr;
        auto item = controls->Add(kButtonControl);
        if (!item) return nullptr;
        try {
            item->SetCaption(sCaption);
            if (editor == host::Editor::kVba) item->SetTag(kMenuTag);
        } catch (...) {
            // An item we cannot name and do not keep would stay on the menu for good.
            Guarded([&] { item->Delete(); });
            return nullptr;
        }
        return item;
    } catch (...) {
        return nullptr;
    }
}

void Connect::AddinInstance_OnConnection(const std::function<std::shared_ptr<host::Root>()>& applicationAsRoot,
                                         std::int32_t connectMode) {
    try {
        if (!applicationAsRoot) throw std::logic_error(vb::kObjectNotSet);
        vbInstance_ = applicationAsRoot();

        if (connectMode == kConnectModeExternal) {
            Show();
        } else {
            menuItem_ = AddToAddInCommandBar(kMenuCaption);
            if (!vbInstance_) throw std::logic_error(vb::kObjectNotSet);
            auto events = vbInstance_->Events();
            if (!events) throw std::logic_error(vb::kObjectNotSet);
            SetMenuHandler(events->CommandBarEvents(menuItem_));
        }

        if (connectMode == kConnectModeAfterStartup) {
            if (!services_.settings) throw std::logic_error(vb::kObjectNotSet);
            const std::string value =
                services_.settings->GetSetting(kApplicationTitle, kSettingsSection, kDisplayOnConnect, "0");
            if (value == "1") Show();
        }
    } catch (...) {
        Report(vb::DescribeCaught());
    }
}

void Connect::AddinInstance_OnDisconnection(std::int32_t /*removeMode*/) {
    Guarded([&] {
        if (menuItem_) menuItem_->Delete();
    });
    auto save = [&](const char* value) {
        if (!services_.settings) throw std::logic_error(vb::kObjectNotSet);
        services_.settings->SaveSetting(kApplicationTitle, kSettingsSection, kDisplayOnConnect, value);
    };
    if (formDisplayed_) {
        Guarded([&] { save("1"); });
        formDisplayed_ = false;
    } else {
        Guarded([&] { save("0"); });
    }
    Guarded([&] { Window().Unload(); });
    ReleaseWindow();
}

void Connect::MenuHandler_Click(const std::shared_ptr<host::CommandBarControl>& control, bool& /*handled*/,
                                bool& /*cancelDefault*/) {
    const auto held = control;  // kept for the duration of the click, as the host expects
    Show();
}

}  // namespace tolvane
