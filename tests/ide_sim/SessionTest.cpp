// End to end: the real Quenlow_AddIn.dll, registered and created by ProgID, connected to the
// simulator serving examples/Example.vbp, driven through its native window as a user would.
// Needs a display (Xvfb); message boxes are answered and counted, never waited on.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/Listing.h"
#include "host/files/CodeSection.h"
#include "tests/support/Files.h"
#include "tests/support/Quenlow.h"
#include "vb/ModuleScan.h"
#include "host/files/ProjectFiles.h"
#include "tools/ide-sim/IdeObjects.h"
#include "tools/ide-sim/Session.h"
#include "winapi/Com.h"
#include "winapi/Text.h"
#include "winapi/Window.h"

namespace {

using tolvane::host::memory::MemoryHost;
using namespace tolvane::idesim;
using tolvane::winapi::PumpMessages;
using tolvane::winapi::PumpMessagesFor;

constexpr const wchar_t* kProgId = L"Quenlow.Connect";

std::wstring Widen(const std::string& text) { return tolvane::winapi::Utf8ToWide(text); }

std::shared_ptr<MemoryHost> Example(bool withAddInsBar = true) {
    const std::filesystem::path project(TOLVANE_EXAMPLE_PROJECT);
    if (withAddInsBar) return tolvane::host::files::OpenProject(project).host;
    return MemoryHost::Create(tolvane::host::files::ReadProject(project).project,
                              tolvane::host::memory::FormCollection::EveryControl, /*withAddInsBar=*/false);
}

std::optional<std::wstring> DisplayOnConnect() { return ReadSetting(L"Tolvane", L"Settings", L"DisplayOnConnect"); }

std::string Describe(const std::vector<SeenBox>& boxes) {
    std::string text;
    for (const auto& box : boxes)
        text += "[" + tolvane::winapi::WideToUtf8(box.caption) + "] " + tolvane::winapi::WideToUtf8(box.text) + "\n";
    return text;
}

bool HasDisplay() { return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0; }

class SessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        apartment_ = new tolvane::winapi::ComApartment();
        module_ = new ServerModule(TOLVANE_SERVER_DLL);
        registered_ = module_->Loaded() && module_->Register() == S_OK;
    }
    static void TearDownTestSuite() {
        if (registered_) {
            EXPECT_EQ(module_->Unregister(), S_OK);
            CLSID clsid{};
            EXPECT_NE(CLSIDFromProgID(kProgId, &clsid), S_OK) << "the ProgID is gone after unregistration";
        }
        delete module_;
        module_ = nullptr;
        delete apartment_;
        apartment_ = nullptr;
    }

    void SetUp() override {
        if (!HasDisplay()) GTEST_SKIP() << "needs DISPLAY (Xvfb): the add-in shows a native window";
        ASSERT_TRUE(registered_) << "Quenlow_AddIn.dll could not be loaded and registered";
        DeleteSettings(L"Tolvane");
    }
    void TearDown() override {
        PumpMessages();
        DeleteSettings(L"Tolvane");
    }

    // A connected add-in, created as the IDE creates it.
    void Connect(AddInClient& addIn, Simulator& ide, LONG mode) {
        ASSERT_EQ(addIn.Create(kProgId), S_OK);
        ASSERT_EQ(addIn.Connect(ide.Vbe().Get(), mode), S_OK);
        PumpMessages();
    }
    static void Disconnect(AddInClient& addIn, LONG mode) {
        EXPECT_EQ(addIn.Disconnect(mode), S_OK);
        PumpMessages();
    }
    // The add-in goes: it must give back every IDE object it took.
    static void Release(AddInClient& addIn, const Simulator& ide) {
        addIn.Release();
        PumpMessages();
        EXPECT_EQ(ide.LiveObjects(), 1) << "the add-in gave back every IDE object it took";
    }
    void ExpectNoMessageBox() const { EXPECT_TRUE(boxes.Seen().empty()) << Describe(boxes.Seen()); }
    static bool WindowShown() {
        auto window = AddInWindow::Find();
        return window && window->Visible();
    }

    // The session: message boxes watched, the example project served by the simulator.
    MessageBoxWatcher boxes;
    std::shared_ptr<MemoryHost> host = Example();
    Simulator ide{host};

    static tolvane::winapi::ComApartment* apartment_;
    static ServerModule* module_;
    static bool registered_;
};

tolvane::winapi::ComApartment* SessionTest::apartment_ = nullptr;
ServerModule* SessionTest::module_ = nullptr;
bool SessionTest::registered_ = false;

TEST_F(SessionTest, ConnectClickPickGenerateExitDisconnect) {
    AddInClient addIn;
    Connect(addIn, ide, AfterStartup);

    EXPECT_EQ(host->Menu().Captions("Add-Ins"), std::vector<std::string>{"Quenlow"});
    EXPECT_EQ(ide.AdvisedSinks(), 1) << "the add-in listens to its item's clicks";
    EXPECT_FALSE(WindowShown()) << "DisplayOnConnect was not set: no window yet";

    bool handled = true, cancelDefault = true;
    ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
    PumpMessages();
    EXPECT_TRUE(ide.FailedClicks().empty());
    EXPECT_FALSE(handled || cancelDefault) << "the add-in leaves both flags as the IDE set them";
    auto window = AddInWindow::Find();
    ASSERT_TRUE(window.has_value()) << "no top-level window captioned Tolvane after the click";
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(window->Forms(), (std::vector<std::wstring>{L"Form1", L"frmOptions", L"frmDocument"}));

    ASSERT_TRUE(window->Pick(L"Form1"));
    EXPECT_EQ(window->SelectedForm(), L"Form1");
    std::vector<std::wstring> expected;
    tolvane::host::ListFormControls(*Example(), "Form1", [&](const tolvane::host::ListedControl& control) {
        expected.push_back(Widen(control.controlRef));
        return true;
    });
    ASSERT_GT(expected.size(), 15u) << "more rows than the grid shows at once";
    EXPECT_EQ(window->AllRows(), expected);
    EXPECT_LE(window->Rows().size(), 15u) << "a row window for each row in view, not for each control";

    HWND row = window->FindBox(L"Command1", AddInWindow::Row);
    HWND move = window->Box(L"Command1", AddInWindow::LeftRightMove);
    ASSERT_TRUE(row && move);
    EXPECT_FALSE(IsWindowEnabled(move)) << "options are greyed until the row is ticked";
    ASSERT_TRUE(window->Click(row));
    EXPECT_TRUE(window->Checked(row));
    EXPECT_TRUE(IsWindowEnabled(move));
    ASSERT_TRUE(window->Click(move));
    EXPECT_TRUE(window->Checked(move));

    ASSERT_TRUE(window->Press(L"&Generate Code"));
    EXPECT_NE(window->Declarations().find(L"Dim iCommand1_Left As Single"), std::wstring::npos)
        << tolvane::winapi::WideToUtf8(window->Declarations());
    EXPECT_NE(window->OnLoad().find(L"iCommand1_Left = Command1.Left"), std::wstring::npos);
    // The plain choice, remembered where VB keeps settings.
    ASSERT_TRUE(window->Click(window->WindowCheckBox(L"&Plain text (as the original add-in)")));
    EXPECT_EQ(ReadSetting(L"Tolvane", L"Settings", L"PlainText"), std::optional<std::wstring>(L"1"));
    ASSERT_TRUE(window->Press(L"&Generate Code"));
    EXPECT_EQ(window->OnResize(), L"Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n");

    // The screenshot, for a person to look at; checked here for size and content.
    ASSERT_TRUE(window->Screenshot(L"ide_sim_generate.bmp"));
    {
        std::ifstream file("ide_sim_generate.bmp", std::ios::binary);
        BITMAPFILEHEADER header{};
        BITMAPINFOHEADER info{};
        file.read(reinterpret_cast<char*>(&header), sizeof header);
        file.read(reinterpret_cast<char*>(&info), sizeof info);
        ASSERT_TRUE(file.good());
        RECT client{};
        GetClientRect(window->Handle(), &client);
        EXPECT_EQ(header.bfType, 0x4D42);
        EXPECT_EQ(info.biWidth, client.right);
        EXPECT_EQ(info.biHeight, client.bottom);
        EXPECT_EQ(info.biBitCount, 24);
    }

    ASSERT_TRUE(window->Press(L"E&xit"));
    EXPECT_FALSE(window->Visible()) << "Exit hides the window";

    Disconnect(addIn, UserClosed);
    EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty()) << "the item is removed at disconnection";
    EXPECT_EQ(DisplayOnConnect(), std::optional<std::wstring>(L"0"));
    EXPECT_FALSE(WindowShown());
    // The event source and the IDE root go with the add-in object, not with the disconnection.
    Release(addIn, ide);
    EXPECT_EQ(ide.AdvisedSinks(), 0) << "the add-in stopped listening";
    ExpectNoMessageBox();
}

// What the add-in writes for some picks is what quenlow writes for the same picks, on a form
// in pixels with a frame and a picture box in pixels, whose rows come in view only by scrolling
// past a menu that cannot be picked.
TEST_F(SessionTest, TheAddInWritesWhatQuenlowWritesForTheSamePicks) {
    const std::filesystem::path project(TOLVANE_PIXELS_PROJECT);
    auto pixels = tolvane::host::files::OpenProject(project).host;
    Simulator pixelsIde(pixels);
    AddInClient addIn;
    Connect(addIn, pixelsIde, AfterStartup);
    ASSERT_TRUE(pixels->Menu().Click("Add-Ins", "Quenlow"));
    PumpMessages();
    auto window = AddInWindow::Find();
    ASSERT_TRUE(window.has_value());
    ASSERT_TRUE(window->Pick(L"frmPixels"));
    EXPECT_FALSE(IsWindowEnabled(window->FindBox(L"mnuFile", AddInWindow::Row))) << "a menu cannot be ticked";
    const std::vector<std::pair<std::wstring, std::vector<AddInWindow::Column>>> picks = {
        {L"cmdClose", {AddInWindow::LeftRightMove, AddInWindow::UpDownMove}},
        {L"txtInside", {AddInWindow::LeftRightSize}},
        {L"cmdInPane", {AddInWindow::LeftRightMove, AddInWindow::UpDownScale}},
    };
    for (const auto& [control, columns] : picks) {
        ASSERT_TRUE(window->Click(window->FindBox(control, AddInWindow::Row)));
        for (const auto column : columns) ASSERT_TRUE(window->Click(window->FindBox(control, column)));
    }
    ASSERT_TRUE(window->Press(L"&Generate Code"));
    const std::string path = tolvane::winapi::WideToUtf8(TOLVANE_PIXELS_PROJECT);
    for (const auto& [block, shown] : {std::pair{"declarations", window->Declarations()},
                                       std::pair{"load", window->OnLoad()}, std::pair{"resize", window->OnResize()}}) {
        const auto quenlow = tolvane::testing::Quenlow({"generate", path, "--form", "frmPixels", "--pick", "cmdClose=LM,UM",
                                                        "--pick", "txtInside=LR", "--pick", "cmdInPane=LM,US",
                                                        "--block", block});
        ASSERT_EQ(quenlow.status, 0) << quenlow.err;
        EXPECT_EQ(tolvane::winapi::WideToUtf8(shown), quenlow.out) << block;
    }
    EXPECT_NE(window->OnResize().find(L"picPane.ScaleX(Me.Width - iFormWidth, vbTwips, vbPixels)"), std::wstring::npos);

    // Insert leaves the form's module as quenlow apply leaves a copy of its file.
    ASSERT_TRUE(window->Press(L"&Insert into the form"));
    tolvane::testing::TempDir copy;
    const std::filesystem::path frm = copy.Path() / "frmPixels.frm";
    std::filesystem::copy_file(project.parent_path() / "frmPixels.frm", frm);
    ASSERT_EQ(tolvane::testing::Quenlow({"apply", tolvane::host::files::Utf8FromPath(frm), "--form", "frmPixels", "--pick",
                                         "cmdClose=LM,UM", "--pick", "txtInside=LR", "--pick", "cmdInPane=LM,US"})
                  .status,
              0);
    auto module = pixels->ActiveVBProject()->VBComponents()->Item("frmPixels")->CodeModule();
    EXPECT_EQ(tolvane::vb::SplitModuleText(module->Lines(1, module->CountOfLines())),
              tolvane::host::files::SplitCodeSection(tolvane::testing::ReadBytes(frm), "frmPixels.frm").lines);
    Disconnect(addIn, UserClosed);
    Release(addIn, pixelsIde);
    ExpectNoMessageBox();
}

TEST_F(SessionTest, AWindowLeftOpenAtDisconnectionComesBackAtTheNextConnection) {
    {
        AddInClient addIn;
        Connect(addIn, ide, AfterStartup);
        ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow"));
        PumpMessages();
        ASSERT_TRUE(WindowShown());
        Disconnect(addIn, HostShutdown);
        EXPECT_EQ(DisplayOnConnect(), std::optional<std::wstring>(L"1"));
        EXPECT_FALSE(WindowShown()) << "the window goes with the disconnection";
        addIn.Release();
    }
    {
        AddInClient addIn;
        Connect(addIn, ide, AfterStartup);
        EXPECT_TRUE(WindowShown()) << "shown at once, no click";
        EXPECT_EQ(host->Menu().Captions("Add-Ins"), std::vector<std::string>{"Quenlow"}) << "one item, not two";
        auto window = AddInWindow::Find();
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(window->Forms().size(), 3u);
        ASSERT_TRUE(window->Press(L"E&xit"));
        Disconnect(addIn, UserClosed);
        EXPECT_EQ(DisplayOnConnect(), std::optional<std::wstring>(L"0"));
        addIn.Release();
    }
    PumpMessages();
    EXPECT_EQ(ide.LiveObjects(), 1);
    ExpectNoMessageBox();
}

TEST_F(SessionTest, ExternalConnectionShowsTheWindowWithoutAMenuItem) {
    AddInClient addIn;
    Connect(addIn, ide, External);
    EXPECT_TRUE(WindowShown());
    EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty());
    EXPECT_EQ(ide.AdvisedSinks(), 0);
    Disconnect(addIn, UserClosed);
    EXPECT_EQ(DisplayOnConnect(), std::optional<std::wstring>(L"1"));
    Release(addIn, ide);
    ExpectNoMessageBox();
}

// Failures the user sees: each one message box with the description, and the session goes on.
TEST_F(SessionTest, FailuresAreReportedInOneMessageBoxEachAndNothingHangs) {
    {
        SCOPED_TRACE("an IDE without an Add-Ins bar");
        auto barless = Example(/*withAddInsBar=*/false);
        Simulator barlessIde(barless);
        AddInClient addIn;
        Connect(addIn, barlessIde, AfterStartup);
        PumpMessagesFor(300);
        const auto seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u) << Describe(seen);
        EXPECT_EQ(seen[0].caption, L"Tolvane");
        EXPECT_FALSE(seen[0].text.empty());
        EXPECT_EQ(addIn.Disconnect(UserClosed), S_OK);
        Release(addIn, barlessIde);
    }
    {
        SCOPED_TRACE("a project that cannot be read while picking a form");
        AddInClient addIn;
        Connect(addIn, ide, AfterStartup);
        ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow"));
        PumpMessages();
        auto window = AddInWindow::Find();
        ASSERT_TRUE(window.has_value());
        host->Faults().Fail("Controls.Item", "Disk read error on Form1.frm", /*skip=*/3);
        ASSERT_TRUE(window->Pick(L"Form1"));
        PumpMessagesFor(300);
        const auto seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 2u) << Describe(seen);
        EXPECT_NE(seen[1].text.find(L"Disk read error on Form1.frm"), std::wstring::npos) << Describe(seen);
        EXPECT_TRUE(window->Visible()) << "the window stays usable";
        host->Faults().Clear();
        ASSERT_TRUE(window->Pick(L"frmOptions"));
        EXPECT_FALSE(window->Rows().empty());
        EXPECT_EQ(boxes.Seen().size(), 2u);
        EXPECT_EQ(addIn.Disconnect(UserClosed), S_OK);
        addIn.Release();
        PumpMessages();
    }
}

}  // namespace
