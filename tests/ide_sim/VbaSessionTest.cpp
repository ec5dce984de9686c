// The add-in in the Office VBA editor, simulated: an exported UserForm served as the VBA
// editor serves it. The real Quenlow_AddIn.dll connects, puts its item on the menu, opens its
// window on a click and lists the UserForm's controls as quenlow does; and what the window
// does for Generate and Insert, done here through the add-in's own COM adapter, writes the
// code quenlow generate prints and the module quenlow apply writes. Needs a display (Xvfb).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "host/Listing.h"
#include "host/com/ComHost.h"
#include "host/files/CodeSection.h"
#include "host/files/ProjectFiles.h"
#include "model/Picks.h"
#include "tests/support/Files.h"
#include "tests/support/Quenlow.h"
#include "tools/ide-sim/IdeObjects.h"
#include "tools/ide-sim/Session.h"
#include "vb/ModuleScan.h"
#include "winapi/Com.h"
#include "winapi/Text.h"
#include "winapi/Window.h"
#include "window/ModuleInsert.h"

namespace {

using namespace tolvane;
using namespace tolvane::idesim;
using host::memory::MemoryHost;
using tolvane::testing::Quenlow;
using winapi::PumpMessages;

const std::vector<std::string> kPicks = {"cmdOK=LM", "fraInner=LR,UR", "mpgMain=LR", "lstItems=LR,US"};

// One row of the listing, every field the add-in and quenlow must agree on.
std::string RowText(const host::ListedControl& row) {
    return std::to_string(row.depth) + " " + row.controlRef + " in " + std::to_string(row.place.container) + " " +
           row.className + " " + std::to_string(static_cast<int>(row.noPlace)) + (row.guessed ? " guessed" : "");
}

std::vector<host::ListedControl> Listed(host::Root& root) {
    std::vector<host::ListedControl> rows;
    host::ListFormControls(root, "Panel", [&](const host::ListedControl& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

std::vector<std::string> Texts(const std::vector<host::ListedControl>& rows) {
    std::vector<std::string> texts;
    for (const auto& row : rows) texts.push_back(RowText(row));
    return texts;
}

std::vector<std::string> ModuleLines(host::Root& root) {
    auto module = root.ActiveVBProject()->VBComponents()->Item("Panel")->CodeModule();
    return vb::SplitModuleText(module->Lines(1, module->CountOfLines()));
}

class VbaSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Panel.frm", "Panel.frx"})
            std::filesystem::copy_file(tolvane::testing::SourcePath(std::string("tests/host_files_office/fixtures/") + name),
                                       folder.Path() / name);
        host = host::files::OpenProject(frm).host;
        host->SetKind(host::Editor::kVba);
        ide = std::make_unique<Simulator>(host);
    }
    bool Called(const std::string& call) const {
        const auto journal = ide->Journal();
        return std::any_of(journal.begin(), journal.end(), [&](const JournalEntry& entry) { return entry.call == call; });
    }

    winapi::ComApartment apartment;
    tolvane::testing::TempDir folder;
    std::filesystem::path frm = folder.Path() / "Panel.frm";
    std::shared_ptr<MemoryHost> host;
    std::unique_ptr<Simulator> ide;
};

TEST_F(VbaSessionTest, ConnectsListsTheUserFormAsQuenlowAndLeavesNothing) {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "needs DISPLAY (Xvfb)";
    ServerModule module(TOLVANE_SERVER_DLL);
    ASSERT_TRUE(module.Loaded());
    ASSERT_EQ(module.Register(), S_OK);
    MessageBoxWatcher boxes;
    {
        AddInClient addIn;
        ASSERT_EQ(addIn.Create(L"Quenlow.Connect"), S_OK);
        ASSERT_EQ(addIn.Connect(ide->Vbe().Get(), AfterStartup), S_OK);
        PumpMessages();
        EXPECT_EQ(host->Menu().Captions("Add-Ins"), std::vector<std::string>{"Quenlow"});
        EXPECT_EQ(host->Menu().Tags("Add-Ins"), std::vector<std::string>{"Quenlow.Connect"});
        EXPECT_TRUE(Called("CommandBarButton.Advise")) << "the click comes from the button's own events";
        EXPECT_FALSE(Called("VBE.Events")) << "VBE.Events is never used in the VBA editor";

        bool handled = false, cancelDefault = false;
        ASSERT_TRUE(host->Menu().Click("Add-Ins", "Quenlow", &handled, &cancelDefault));
        PumpMessages();
        EXPECT_TRUE(ide->FailedClicks().empty());
        auto window = AddInWindow::Find();
        ASSERT_TRUE(window && window->Visible());
        EXPECT_EQ(window->Forms(), std::vector<std::wstring>{L"Panel"});
        ASSERT_TRUE(window->Pick(L"Panel"));
        std::vector<std::wstring> expected;
        for (const auto& row : Listed(*host)) expected.push_back(winapi::Utf8ToWide(row.controlRef));
        EXPECT_EQ(window->AllRows(), expected);

        // The window's own Generate and Insert: the UserForm code quenlow generate writes, and
        // the module quenlow apply writes into the same file.
        ASSERT_TRUE(window->Click(window->FindBox(L"cmdOK", AddInWindow::Row)));
        ASSERT_TRUE(window->Click(window->FindBox(L"cmdOK", AddInWindow::LeftRightMove)));
        ASSERT_TRUE(window->Press(L"&Generate Code"));
        const std::string file = host::files::Utf8FromPath(frm);
        EXPECT_EQ(winapi::WideToUtf8(window->OnResize()),
                  Quenlow({"generate", file, "--form", "Panel", "--pick", "cmdOK=LM", "--block", "resize"}).out);
        ASSERT_TRUE(window->Press(L"&Insert into the form"));
        ASSERT_EQ(Quenlow({"apply", file, "--form", "Panel", "--pick", "cmdOK=LM"}).status, 0);
        EXPECT_EQ(ModuleLines(*host), host::files::SplitCodeSection(tolvane::testing::ReadBytes(frm), "Panel.frm").lines);
        ASSERT_TRUE(window->Screenshot(L"ide_sim_userform.bmp"));

        EXPECT_EQ(addIn.Disconnect(UserClosed), S_OK);
        PumpMessages();
        EXPECT_TRUE(host->Menu().Captions("Add-Ins").empty());
        addIn.Release();
        PumpMessages();
    }
    EXPECT_EQ(ide->LiveObjects(), 1) << "the add-in gave back every object of the editor";
    EXPECT_EQ(ide->AdvisedSinks(), 0);
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(module.Unregister(), S_OK);
    DeleteSettings(L"Tolvane");
}

// What Generate and Insert do in the VBA editor, through the add-in's adapter: the listing,
// the UserForm code and the module all equal quenlow's for the same file and picks.
TEST_F(VbaSessionTest, UserFormCodeAndModuleEqualQuenlowsGenerateAndApply) {
    {
        auto root = host::com::RootFromDispatch(ide->Vbe().Get());
        ASSERT_EQ(root->Kind(), host::Editor::kVba);
        const auto listed = Listed(*root);
        ASSERT_EQ(Texts(listed), Texts(Listed(*host)));

        auto form = root->ActiveVBProject()->VBComponents()->Item("Panel");
        const CodeTarget target = CodeTargetOf(*form);
        ASSERT_EQ(target, CodeTarget::kUserForm);
        std::vector<ControlRow> rows(listed.size());
        blocks::Record record;
        std::vector<std::string> args{host::files::Utf8FromPath(frm), "--form", "Panel"};
        for (std::size_t i = 0; i < listed.size(); ++i) {
            rows[i].controlRef = listed[i].controlRef;
            for (const std::string& pick : kPicks) {
                if (pick.substr(0, pick.find('=')) != rows[i].controlRef) continue;
                rows[i].included = 1;
                TickOptions(pick.substr(pick.find('=') + 1), rows[i]);
                record.picks.push_back(rows[i]);
            }
        }
        for (const std::string& pick : kPicks) args.insert(args.end(), {"--pick", pick});
        const GeneratedCode code = GenerateResizeCode("Panel", rows, FormCodeOptions(target, listed));
        const std::pair<std::string, const std::string*> blocks[] = {
            {"declarations", &code.declarations}, {"load", &code.onLoad}, {"resize", &code.onResize}};
        for (const auto& [block, text] : blocks) {
            auto generate = args;
            generate.insert(generate.begin(), "generate");
            generate.insert(generate.end(), {"--block", block});
            EXPECT_EQ(Quenlow(generate).out, *text) << block;
        }

        const auto before = ModuleLines(*root);
        InsertIntoModule(*form, EventProceduresOf(target), record, {code.declarations, code.onLoad, code.onResize});
        auto apply = args;
        apply.insert(apply.begin(), "apply");
        ASSERT_EQ(Quenlow(apply).status, 0);
        const auto written = host::files::SplitCodeSection(tolvane::testing::ReadBytes(frm), "Panel.frm").lines;
        EXPECT_EQ(ModuleLines(*root), written) << "the editor's module, line for line, as quenlow apply writes the file";
        EXPECT_EQ(RecordedPicks(*form), record);

        RemoveFromModule(*form, EventProceduresOf(target));
        EXPECT_EQ(ModuleLines(*root), before);
    }
    EXPECT_EQ(ide->LiveObjects(), 1);
}

}  // namespace
