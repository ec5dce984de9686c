// Connect against the in-memory host, a window that records what it is asked to do and a
// settings store in memory; both fakes can be told to fail any of their steps.
#include "connect/Connect.h"

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/memory/MemoryHost.h"

namespace tolvane {
namespace {

using host::HostError;
using host::memory::MemoryHost;
using host::memory::ProjectData;

// What every window instance of one test did, in order.
struct WindowLog {
    std::vector<std::string> calls;
    std::set<std::string> failing;  // steps that throw: "make", "SetVBInstance", "SetConnect", "Show", "Hide", "Unload"
    bool throwNonStandard = false;   // fail with something that is no std::exception
    int created = 0;
    int destroyed = 0;
    int loads = 0;
    bool loaded = false;
    bool visible = false;
    std::shared_ptr<host::Root> vbInstance;
    AddInOwner* owner = nullptr;
    bool callOwnerOnDestroy = false;

    void Step(const std::string& name) {
        calls.push_back(name);
        if (failing.count(name)) {
            if (throwNonStandard) throw 42;
            throw HostError(name + " failed");
        }
    }
    int Count(const std::string& name) const { return static_cast<int>(std::count(calls.begin(), calls.end(), name)); }
};

class FakeWindow final : public AddInWindowApi {
public:
    explicit FakeWindow(WindowLog& log) : log_(log) { ++log_.created; }
    ~FakeWindow() override {
        ++log_.destroyed;
        log_.loaded = log_.visible = false;
        if (log_.callOwnerOnDestroy && log_.owner) log_.owner->Hide();
    }
    void SetVBInstance(std::shared_ptr<host::Root> vbInstance) override {
        log_.Step("SetVBInstance");
        log_.vbInstance = std::move(vbInstance);
    }
    void SetConnect(AddInOwner* owner) override {
        log_.Step("SetConnect");
        log_.owner = owner;
    }
    void Show() override {
        log_.Step("Show");
        if (!log_.loaded) {
            log_.loaded = true;
            ++log_.loads;
        }
        log_.visible = true;
    }
    void Hide() override {
        log_.Step("Hide");
        log_.visible = false;
    }
    void Unload() override {
        log_.Step("Unload");
        log_.loaded = log_.visible = false;
    }

private:
    WindowLog& log_;
};

class FakeSettings final : public SettingsStore {
public:
    std::map<std::string, std::string> values;  // "application|section|key"
    std::vector<std::string> writes;
    int reads = 0;
    bool failRead = false, failWrite = false, readOutOfMemory = false;

    std::string GetSetting(const std::string& application, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override {
        ++reads;
        if (readOutOfMemory) throw std::bad_alloc();
        if (failRead) throw std::runtime_error("settings unreadable");
        auto found = values.find(application + "|" + section + "|" + key);
        return found == values.end() ? defaultValue : found->second;
    }
    void SaveSetting(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& value) override {
        if (failWrite) throw std::runtime_error("settings unwritable");
        writes.push_back(application + "|" + section + "|" + key + "=" + value);
        values[application + "|" + section + "|" + key] = value;
    }
};

constexpr const char* kSettingKey = "Tolvane|Settings|DisplayOnConnect";

struct Message {
    std::string text, caption;
};

class ConnectTest : public ::testing::Test {
public:
    void SetUp() override { host = MemoryHost::Create(ProjectData{}); }

    ConnectServices Services() {
        ConnectServices services;
        services.makeWindow = [this]() -> std::unique_ptr<AddInWindowApi> {
            if (log.failing.count("make")) {
                log.calls.push_back("make");
                throw HostError("make failed");
            }
            return std::make_unique<FakeWindow>(log);
        };
        services.settings = settings;
        services.messageBox = [this](const std::string& text, const std::string& caption) {
            messages.push_back({text, caption});
        };
        return services;
    }

    std::function<std::shared_ptr<host::Root>()> AsRoot() {
        return [this] { return host; };
    }

    std::vector<std::string> AddIns() const { return host->Menu().Captions("Add-Ins"); }

    // A fresh host, store, window log and message list, for each case of a table.
    void Reset() {
        SetUp();
        settings = std::make_shared<FakeSettings>();
        log = WindowLog{};
        messages.clear();
    }

    std::shared_ptr<MemoryHost> host;
    std::shared_ptr<FakeSettings> settings = std::make_shared<FakeSettings>();
    WindowLog log;
    std::vector<Message> messages;
};

TEST_F(ConnectTest, ConnectModesAndStoredDisplayState) {
    struct Case {
        std::int32_t mode;
        std::optional<std::string> stored;
        bool shown;
        bool menuItem;
        int reads;
    };
    const Case cases[] = {
        {0, "1", true, true, 1},         {0, "0", false, true, 1},      {0, std::nullopt, false, true, 1},
        {0, "true", false, true, 1},     {0, " 1", false, true, 1},     {0, "01", false, true, 1},
        {0, "1 ", false, true, 1},       {0, "", false, true, 1},       {1, "1", false, true, 0},
        {3, "1", false, true, 0},        {1, std::nullopt, false, true, 0}, {2, "0", true, false, 0},
        {2, std::nullopt, true, false, 0}, {7, "1", false, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + ", stored " + (c.stored ? "'" + *c.stored + "'" : "nothing"));
        Reset();
        if (c.stored) settings->values[kSettingKey] = *c.stored;

        Connect connect(Services());
        connect.AddinInstance_OnConnection(AsRoot(), c.mode);

        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(connect.VBInstance(), host);
        EXPECT_EQ(log.visible, c.shown);
        EXPECT_EQ(connect.FormDisplayed(), c.shown);
        EXPECT_EQ(log.created, c.shown ? 1 : 0);
        EXPECT_EQ(settings->reads, c.reads);
        EXPECT_EQ(AddIns(), c.menuItem ? std::vector<std::string>{"Quenlow"} : std::vector<std::string>{});
        EXPECT_EQ(connect.MenuItem() != nullptr, c.menuItem);
        EXPECT_EQ(connect.MenuHandler() != nullptr, c.menuItem);
    }
}

TEST_F(ConnectTest, MenuClickShowsTheSameWindowAndLeavesEventFlagsAlone) {
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 1);
    ASSERT_EQ(log.created, 0);

    bool handled = true, cancelDefault = true;
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
    EXPECT_FALSE(handled);
    EXPECT_FALSE(cancelDefault);
    EXPECT_EQ(log.created, 1);
    EXPECT_TRUE(log.visible);
    EXPECT_TRUE(connect.FormDisplayed());
    EXPECT_EQ(log.vbInstance, host);
    EXPECT_EQ(log.owner, &connect);
    // The members are set before the first display, which is when the window loads.
    EXPECT_EQ(log.calls, (std::vector<std::string>{"SetVBInstance", "SetConnect", "Show"}));

    connect.Hide();
    EXPECT_FALSE(connect.FormDisplayed());
    log.vbInstance.reset();
    log.owner = nullptr;
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
    EXPECT_FALSE(handled);
    EXPECT_FALSE(cancelDefault);
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.loads, 1);
    EXPECT_TRUE(log.visible);
    EXPECT_TRUE(connect.FormDisplayed());
    EXPECT_EQ(log.vbInstance, host);
    EXPECT_EQ(log.owner, &connect);
}

TEST_F(ConnectTest, ShowTwiceAndShowAfterHideReuseTheLoadedWindow) {
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 1);
    connect.Show();
    connect.Show();
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.loads, 1);
    EXPECT_EQ(log.Count("SetVBInstance"), 2);
    EXPECT_EQ(log.Count("SetConnect"), 2);
    EXPECT_TRUE(log.visible);

    connect.Hide();
    EXPECT_FALSE(log.visible);
    EXPECT_TRUE(log.loaded);
    connect.Show();
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.loads, 1);
    EXPECT_TRUE(log.visible);
}

TEST_F(ConnectTest, HideBeforeAnyShowCreatesTheWindowWithoutDisplayingIt) {
    Connect connect(Services());
    connect.Hide();
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.calls, std::vector<std::string>{"Hide"});
    EXPECT_FALSE(connect.FormDisplayed());
}

TEST_F(ConnectTest, DisconnectionWritesDisplayStateRemovesItemAndReleasesWindow) {
    struct Case {
        const char* name;
        std::function<void(Connect&)> during;
        const char* written;
    };
    const Case cases[] = {
        {"shown and left open", [](Connect& c) { c.Show(); }, "1"},
        {"shown then hidden", [](Connect& c) { c.Show(); c.Hide(); }, "0"},
        {"never shown", [](Connect&) {}, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        Connect connect(Services());
        connect.AddinInstance_OnConnection(AsRoot(), 1);
        c.during(connect);

        connect.AddinInstance_OnDisconnection(0);
        EXPECT_EQ(settings->writes, std::vector<std::string>{std::string(kSettingKey) + "=" + c.written});
        EXPECT_FALSE(connect.FormDisplayed());
        EXPECT_TRUE(AddIns().empty());
        EXPECT_EQ(log.calls.back(), "Unload");
        EXPECT_EQ(log.created, 1);  // the slot fills itself for the unload
        EXPECT_EQ(log.destroyed, 1);
        EXPECT_FALSE(connect.HasWindow());
        // Kept until the object is released.
        EXPECT_EQ(connect.VBInstance(), host);
        EXPECT_NE(connect.MenuItem(), nullptr);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(ConnectTest, ExternalStartShowsAtOnceAndStillWritesAndUnloadsAtDisconnection) {
    settings->values[kSettingKey] = "0";
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 2);
    EXPECT_TRUE(log.visible);
    EXPECT_EQ(settings->reads, 0);
    EXPECT_TRUE(AddIns().empty());
    EXPECT_EQ(connect.MenuItem(), nullptr);

    connect.AddinInstance_OnDisconnection(1);
    EXPECT_EQ(settings->values[kSettingKey], "1");
    EXPECT_EQ(log.Count("Unload"), 1);
    EXPECT_EQ(log.destroyed, 1);
}

TEST_F(ConnectTest, ApplicationThatIsNoIdeRootGivesOneMessageAndNoMenuItem) {
    Connect connect(Services());
    connect.AddinInstance_OnConnection([]() -> std::shared_ptr<host::Root> { throw HostError("Type mismatch"); }, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Type mismatch");
    EXPECT_EQ(messages[0].caption, "Tolvane");
    EXPECT_TRUE(AddIns().empty());
    EXPECT_EQ(connect.VBInstance(), nullptr);
    EXPECT_EQ(settings->reads, 0);
}

TEST_F(ConnectTest, MissingAddInsBarLeavesNoItemAndTheEventSourceRequestReportsTheFailure) {
    host = MemoryHost::Create(ProjectData{}, host::memory::FormCollection::EveryControl, /*withAddInsBar=*/false);
    settings->values[kSettingKey] = "1";
    Connect connect(Services());
    connect.SetVBInstance(host);
    EXPECT_EQ(connect.AddToAddInCommandBar("Quenlow"), nullptr);
    EXPECT_TRUE(messages.empty());

    connect.AddinInstance_OnConnection(AsRoot(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Invalid procedure call or argument");
    EXPECT_EQ(messages[0].caption, "Tolvane");
    EXPECT_EQ(connect.VBInstance(), host);
    EXPECT_EQ(connect.MenuItem(), nullptr);
    // The handler ended at the failure: the setting was not read, the window not shown.
    EXPECT_EQ(settings->reads, 0);
    EXPECT_EQ(log.created, 0);
}

// The VBA editor's item goes on the first of its Add-Ins, Tools and menu bars that it has, with
// the add-in's own Tag; VB6's only ever on its Add-Ins bar, untagged as before.
TEST_F(ConnectTest, ItemGoesOnTheFirstBarTheEditorHas) {
    const struct {
        host::Editor editor;
        std::vector<std::string> bars;
        std::string expected;  // "" for no item
    } cases[] = {
        {host::Editor::kVba, {"Menu Bar", "Tools", "Add-Ins"}, "Add-Ins"},
        {host::Editor::kVba, {"Menu Bar", "Tools"}, "Tools"},
        {host::Editor::kVba, {"Menu Bar"}, "Menu Bar"},
        {host::Editor::kVba, {"Standard"}, ""},
        {host::Editor::kVb6, {"Menu Bar", "Tools"}, ""},
        {host::Editor::kVb6, {"Tools", "Add-Ins"}, "Add-Ins"},
    };
    for (const auto& c : cases) {
        host = MemoryHost::Create(ProjectData{}, host::memory::FormCollection::EveryControl, false);
        host->SetKind(c.editor);
        for (const auto& bar : c.bars) host->Menu().AddBar(bar);
        Connect connect(Services());
        connect.AddinInstance_OnConnection(AsRoot(), 0);
        for (const auto& bar : c.bars) {
            SCOPED_TRACE(bar + " of " + c.expected);
            const bool here = bar == c.expected;
            EXPECT_EQ(host->Menu().Captions(bar), here ? std::vector<std::string>{"Quenlow"} : std::vector<std::string>{});
            if (!here) continue;
            EXPECT_EQ(host->Menu().Tags(bar)[0], c.editor == host::Editor::kVba ? "Quenlow.Connect" : "");
            EXPECT_TRUE(host->Menu().Click(bar, "Quenlow"));
        }
        EXPECT_EQ(log.created, c.expected.empty() ? 0 : 1) << c.expected;
        Reset();
    }
}

TEST_F(ConnectTest, AddToAddInCommandBarFailsQuietlyAtEachStep) {
    for (const char* operation : {"Root.CommandBars", "CommandBars.Item", "CommandBar.Controls", "CommandBarControls.Add"}) {
        SCOPED_TRACE(operation);
        SetUp();
        host->Faults().Fail(operation, "Automation error");
        Connect connect(Services());
        connect.SetVBInstance(host);
        EXPECT_EQ(connect.AddToAddInCommandBar("Quenlow"), nullptr);
        EXPECT_TRUE(AddIns().empty());
        EXPECT_TRUE(messages.empty());
    }
    Connect withoutRoot(Services());
    EXPECT_EQ(withoutRoot.AddToAddInCommandBar("Quenlow"), nullptr);
}

TEST_F(ConnectTest, AddedItemCarriesExactlyTheCaptionPassed) {
    Connect connect(Services());
    connect.SetVBInstance(host);
    auto item = connect.AddToAddInCommandBar("Quenlow & Co");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Caption(), "Quenlow & Co");
    EXPECT_EQ(AddIns(), std::vector<std::string>{"Quenlow & Co"});
}

TEST_F(ConnectTest, ItemWhoseCaptionCannotBeSetIsRemovedAgain) {
    host->Faults().Fail("CommandBarControl.SetCaption", "Method 'Caption' of object 'CommandBarControl' failed");
    Connect connect(Services());
    connect.SetVBInstance(host);
    EXPECT_EQ(connect.AddToAddInCommandBar("Quenlow"), nullptr);
    EXPECT_TRUE(AddIns().empty());
    EXPECT_EQ(host->Faults().Calls("CommandBarControl.Delete"), 1);

    // When the removal fails too, the result is still empty and nothing escapes.
    host->Faults().Fail("CommandBarControl.Delete", "Method 'Delete' of object 'CommandBarControl' failed");
    EXPECT_EQ(connect.AddToAddInCommandBar("Quenlow"), nullptr);
    EXPECT_EQ(AddIns(), std::vector<std::string>{"Custom"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConnectTest, EachFailingStepOfShowLeavesTheLaterStepsRunning) {
    struct Case {
        const char* failing;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"make", {"make", "make", "make", "make"}},  // every use tries to fill the slot again
        {"SetVBInstance", {"SetVBInstance", "SetConnect", "Show"}},
        {"SetConnect", {"SetVBInstance", "SetConnect", "Show"}},
        {"Show", {"SetVBInstance", "SetConnect", "Show"}},
    };
    for (bool nonStandard : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.failing) + (nonStandard ? " (non-standard exception)" : ""));
            log = WindowLog{};
            log.failing = {c.failing};
            log.throwNonStandard = nonStandard;
            Connect connect(Services());
            connect.SetVBInstance(host);
            connect.Show();
            EXPECT_EQ(log.calls, c.calls);
            EXPECT_TRUE(connect.FormDisplayed());
        }
    }
}

TEST_F(ConnectTest, WindowCreatedLateByALaterStepOfShow) {
    int makes = 0;
    ConnectServices services = Services();
    services.makeWindow = [&]() -> std::unique_ptr<AddInWindowApi> {
        if (++makes == 1) throw std::bad_alloc();
        return std::make_unique<FakeWindow>(log);
    };
    Connect connect(std::move(services));
    connect.SetVBInstance(host);
    connect.Show();
    EXPECT_EQ(makes, 2);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"SetVBInstance", "SetConnect", "Show"}));
    EXPECT_TRUE(log.visible);
}

TEST_F(ConnectTest, FactoryGivingNothingOrMissingIsSurvived) {
    ConnectServices services = Services();
    services.makeWindow = [] { return std::unique_ptr<AddInWindowApi>(); };
    Connect nullFactory(std::move(services));
    nullFactory.Show();
    nullFactory.Hide();
    nullFactory.AddinInstance_OnDisconnection(0);
    EXPECT_FALSE(nullFactory.HasWindow());

    Connect nothingAtAll(ConnectServices{});
    nothingAtAll.AddinInstance_OnConnection(AsRoot(), 0);  // no settings store, no message box
    nothingAtAll.Show();
    nothingAtAll.AddinInstance_OnDisconnection(0);
    EXPECT_FALSE(nothingAtAll.FormDisplayed());
}

TEST_F(ConnectTest, FailingHideStillClearsDisplayState) {
    log.failing = {"Hide"};
    Connect connect(Services());
    connect.Show();
    connect.Hide();
    EXPECT_FALSE(connect.FormDisplayed());
    EXPECT_EQ(log.Count("Hide"), 1);
}

TEST_F(ConnectTest, EachFailingStepOfDisconnectionLeavesTheLaterStepsRunning) {
    struct Case {
        const char* name;
        std::function<void(ConnectTest&)> arrange;
        bool written;
    };
    const Case cases[] = {
        {"delete", [](ConnectTest& t) { t.host->Faults().Fail("CommandBarControl.Delete", "Delete failed"); }, true},
        {"write", [](ConnectTest& t) { t.settings->failWrite = true; }, false},
        {"unload", [](ConnectTest& t) { t.log.failing = {"Unload"}; }, true},
        {"all three", [](ConnectTest& t) {
             t.host->Faults().Fail("CommandBarControl.Delete", "Delete failed");
             t.settings->failWrite = true;
             t.log.failing = {"Unload"};
             t.log.throwNonStandard = true;
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        Connect connect(Services());
        connect.AddinInstance_OnConnection(AsRoot(), 0);
        connect.Show();
        c.arrange(*this);

        connect.AddinInstance_OnDisconnection(0);
        EXPECT_EQ(settings->writes.size(), c.written ? 1u : 0u);
        EXPECT_FALSE(connect.FormDisplayed());  // cleared even when the "1" could not be written
        EXPECT_EQ(log.Count("Unload"), 1);
        EXPECT_EQ(log.destroyed, 1);
        EXPECT_FALSE(connect.HasWindow());
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(ConnectTest, FailureAfterTheMenuItemKeepsWhatWasDoneAndReportsOnce) {
    settings->readOutOfMemory = true;
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Out of memory");
    EXPECT_EQ(AddIns(), std::vector<std::string>{"Quenlow"});
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow"));
    EXPECT_TRUE(log.visible);
}

TEST_F(ConnectTest, MessageBoxThatFailsDoesNotEscapeTheConnection) {
    ConnectServices services = Services();
    services.messageBox = [](const std::string&, const std::string&) { throw std::runtime_error("no display"); };
    Connect connect(std::move(services));
    EXPECT_NO_THROW(connect.AddinInstance_OnConnection([]() -> std::shared_ptr<host::Root> { throw 7; }, 0));
}

TEST_F(ConnectTest, ClosingTheWindowByItsCloseBoxIsNotRememberedAsOpen) {
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 1);
    connect.Show();
    // What the window does on its close box: unload itself, then tell its owner.
    log.loaded = log.visible = false;
    log.owner->WindowClosed();
    EXPECT_FALSE(connect.FormDisplayed());

    connect.Show();  // the same instance, loaded afresh
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.loads, 2);
    log.loaded = log.visible = false;
    log.owner->WindowClosed();

    connect.AddinInstance_OnDisconnection(0);
    EXPECT_EQ(settings->values[kSettingKey], "0");
}

TEST_F(ConnectTest, ReleasedConnectNoLongerAnswersClicks) {
    // The IDE may still raise the event on a source it kept; nothing may reach the freed object.
    auto keptRoot = host;
    {
        Connect connect(Services());
        connect.AddinInstance_OnConnection(AsRoot(), 1);
    }
    log = WindowLog{};
    EXPECT_TRUE(keptRoot->Menu().Click("Add-Ins", "Quenlow"));
    EXPECT_EQ(log.created, 0);
}

TEST_F(ConnectTest, WindowCallingBackWhileReleasedDoesNotRefillTheSlot) {
    log.callOwnerOnDestroy = true;
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 1);
    connect.Show();
    connect.AddinInstance_OnDisconnection(0);
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.destroyed, 1);
    EXPECT_FALSE(connect.HasWindow());
}

TEST_F(ConnectTest, ReplacingTheMenuHandlerUnhooksTheOldSource) {
    Connect connect(Services());
    connect.AddinInstance_OnConnection(AsRoot(), 1);
    auto first = connect.MenuHandler();
    ASSERT_NE(first, nullptr);
    connect.SetMenuHandler(nullptr);
    EXPECT_EQ(connect.MenuHandler(), nullptr);
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow"));
    EXPECT_EQ(log.created, 0);

    connect.SetMenuHandler(first);
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow"));
    EXPECT_EQ(log.created, 1);
    EXPECT_TRUE(log.visible);
}

}  // namespace
}  // namespace tolvane
