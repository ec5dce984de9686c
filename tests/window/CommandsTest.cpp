#include <algorithm>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "forms/Text.h"
#include "host/Listing.h"
#include "model/ResizeCode.h"

namespace tolvane::testing {
namespace {

const std::string DeclarationsHeader =
    "Dim iFormWidth as integer\r\nDim iFormHeight as integer\r\nDim iFormScaleWidth as integer\r\n"
    "Dim iFormScaleHeight as integer\r\n\r\n";

// The options quenlow builds for a form: where each listed control sits.
CodeOptions ListingOptions(host::Root& root, const std::string& form, CodeStyle style) {
    CodeOptions options;
    options.style = style;
    host::ListFormControls(root, form, [&](const host::ListedControl& c) {
        options.places.push_back(c.place);
        return true;
    });
    return options;
}

TEST_F(WindowTest, TheTypicalRequestEndToEndInEitherStyle) {
    ASSERT_TRUE(Pick("Form1"));
    const int row = RowOf("Command1");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(driver.Tick(Box(row)));
    ASSERT_TRUE(driver.Tick(Option(row, 0)));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    // The default: the code that works in the program, as quenlow writes it for the same picks.
    std::vector<ControlRow> rows(Captions().size());
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r].controlRef = Captions()[r];
    rows[static_cast<std::size_t>(row)].included = rows[static_cast<std::size_t>(row)].moveH = 1;
    const GeneratedCode working =
        GenerateResizeCode("Form1", rows, ListingOptions(*host, "Form1", CodeStyle::kWorking));
    EXPECT_EQ(window->txtDeclaration->Text(), working.declarations);
    EXPECT_EQ(window->txtOnLoad->Text(), working.onLoad);
    EXPECT_EQ(window->txtOnResize->Text(), working.onResize);
    EXPECT_NE(working.onResize.find("Command1.Left = Me.ScaleWidth - (iFormScaleWidth - iCommand1_Left)"),
              std::string::npos);

    // The plain choice: the original add-in's text, byte for byte.
    ASSERT_TRUE(driver.Tick(*window->chkPlain));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_EQ(window->txtDeclaration->Text(), DeclarationsHeader + "Dim iCommand1_Left as integer\r\n");
    EXPECT_EQ(window->txtOnLoad->Text(),
              "iFormWidth = Form1.Width\r\niFormHeight = Form1.Height\r\niFormScaleWidth = Form1.ScaleWidth\r\n"
              "iFormScaleHeight = Form1.ScaleHeight\r\n\r\niCommand1_Left = Command1.Left\r\n");
    EXPECT_EQ(window->txtOnResize->Text(), "Command1.Left = Form1.Width - (iFormWidth - iCommand1_Left)\r\n");
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, TheStyleChoiceIsRememberedForTheNextWindow) {
    EXPECT_EQ(window->chkPlain->Value(), 0) << "the working text by default";
    ASSERT_TRUE(driver.PressAccessKey(*window, 'p'));
    EXPECT_EQ(owner.settings[frmAddIn::kPlainTextKey], "1");
    window->Unload();
    ShowWindow();
    EXPECT_EQ(window->chkPlain->Value(), 1);
    ASSERT_TRUE(driver.Tick(*window->chkPlain));
    EXPECT_EQ(owner.settings[frmAddIn::kPlainTextKey], "0");
    // No store to read: the default, and the window works.
    window->Unload();
    window->SetConnect(nullptr);
    window->Show();
    EXPECT_EQ(window->chkPlain->Value(), 0);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ANameTooLongForItsVariablesIsRefusedByName) {
    const std::string longName = "t" + std::string(254, 'x');  // VB's longest name
    ProjectData project = SampleProject();
    project.components.push_back(FlatForm("Wide", 0));
    project.components.back().controls = {ControlNamed(longName), ControlNamed("txtShort")};
    host->OpenProject(project);
    ASSERT_TRUE(driver.OpenList(*window->cboForms));
    ASSERT_TRUE(Pick("Wide"));
    ASSERT_TRUE(driver.Click(*window->lblControlName));  // both
    ASSERT_TRUE(driver.Tick(Option(RowOf("txtShort"), 0)));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    ASSERT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_EQ(forms::RecordedErrors()[0].source, "cmdGenCode_Click");
    EXPECT_EQ(forms::RecordedErrors()[0].description.rfind(longName + ": the name is too long", 0), 0u);
    EXPECT_EQ(window->txtOnResize->Text(), "");
    // Unticked, the others generate.
    ASSERT_TRUE(driver.Tick(Box(RowOf(longName))));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_NE(window->txtOnLoad->Text().find("itxtShort"), std::string::npos);
}

TEST_F(WindowTest, GenerateReadsTheGridAndTheSelectorsTextAtThatMoment) {
    ASSERT_TRUE(driver.Tick(*window->chkPlain));
    ASSERT_TRUE(Pick("Form1"));
    const int option = RowOf("Option1(1)");
    const int label = RowOf("Label1");
    ASSERT_TRUE(driver.Tick(Box(option)));
    ASSERT_TRUE(driver.Tick(Option(option, 4)));
    ASSERT_TRUE(driver.Tick(Option(option, 5)));
    ASSERT_TRUE(driver.Tick(Box(label)));
    ASSERT_TRUE(driver.Tick(Option(label, 3)));
    ASSERT_TRUE(driver.PressAccessKey(*window, 'g'));
    const std::string resize = window->txtOnResize->Text();
    EXPECT_EQ(resize,
              "Label1.Top = Form1.Height - (iFormHeight - iLabel1_Top)\r\n"
              "Option1(1).Height = Form1.Height * (iOption1_1__Height / iFormHeight)\r\n");

    // Twice without change gives the same text, replaced rather than appended.
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_EQ(window->txtOnResize->Text(), resize);

    // Typed into the selector after the pick: the code names the typed form.
    ASSERT_TRUE(driver.Select(*window->cboForms, 0, 5));
    ASSERT_TRUE(driver.Type(*window->cboForms, "frmMain"));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_EQ(window->txtOnLoad->Text().substr(0, 29), "iFormWidth = frmMain.Width\r\ni");
    EXPECT_EQ(Captions().size(), 8u) << "typing does not pick";
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, GenerateWithNothingPicked) {
    ASSERT_TRUE(driver.Tick(*window->chkPlain));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_EQ(window->txtDeclaration->Text(), DeclarationsHeader);
    EXPECT_EQ(window->txtOnLoad->Text().substr(0, 22), "iFormWidth = .Width\r\ni");
    EXPECT_EQ(window->txtOnResize->Text(), "");
}

TEST_F(WindowTest, DoubleClickSelectsTheWholeTextOfThatBox) {
    ASSERT_TRUE(driver.Tick(*window->chkPlain));
    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    // Edited since generation, with text beyond ASCII: the length counts characters.
    ASSERT_TRUE(driver.Select(*window->txtOnLoad, 0, 0));
    ASSERT_TRUE(driver.Type(*window->txtOnLoad, "' \xC3\xA9t\xC3\xA9\r\n"));
    ASSERT_TRUE(driver.DoubleClick(*window->txtOnLoad));
    EXPECT_EQ(window->txtOnLoad->SelStart(), 0);
    EXPECT_EQ(window->txtOnLoad->SelLength(), forms::Utf16Length(window->txtOnLoad->Text()));
    EXPECT_EQ(window->txtOnLoad->SelText(), window->txtOnLoad->Text());
    EXPECT_EQ(window->txtDeclaration->SelLength(), 0) << "the other boxes are untouched";

    // An empty box: nothing to select, nothing reported.
    ASSERT_TRUE(driver.DoubleClick(*window->txtOnResize));
    EXPECT_EQ(window->txtOnResize->SelStart(), 0);
    EXPECT_EQ(window->txtOnResize->SelLength(), 0);
    ASSERT_TRUE(driver.DoubleClick(*window->txtDeclaration));
    EXPECT_EQ(window->txtDeclaration->SelText(), DeclarationsHeader);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ExitClearsHidesAndTheWindowComesBackAsLeft) {
    ASSERT_TRUE(Pick("Long"));
    ASSERT_TRUE(driver.Tick(Box(0)));
    ASSERT_TRUE(driver.DragThumb(*window->VScroll1, -100));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    ASSERT_TRUE(driver.Click(*window->CancelButton));
    EXPECT_EQ(owner.hides, 1);
    EXPECT_FALSE(window->IsShown());
    EXPECT_TRUE(window->IsLoaded());
    EXPECT_FALSE(driver.Click(*window->cmdGenCode)) << "a hidden window takes no clicks";

    ShowWindow();
    EXPECT_EQ(window->TopMostRequests(), 1) << "no second load";
    EXPECT_EQ(window->FrontRequests(), 0);
    ShowWindow();  // a second menu click while it is shown
    EXPECT_EQ(window->FrontRequests(), 1);
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(window->txtDeclaration->Text(), "");
    EXPECT_EQ(window->cboForms->Text(), "Long");
    EXPECT_EQ(ListOf(*window->cboForms).size(), 8u);
    EXPECT_EQ(window->VScroll1->Value(), 0) << "nothing left to scroll";

    // Alt+X does the same.
    ASSERT_TRUE(driver.PressAccessKey(*window, 'x'));
    EXPECT_EQ(owner.hides, 2);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, ExitWithoutAnOwnerClearsAndReports) {
    window->SetConnect(nullptr);
    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Click(*window->CancelButton));
    EXPECT_TRUE(Captions().empty());
    EXPECT_TRUE(window->IsShown());
    ASSERT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_EQ(forms::RecordedErrors()[0].source, "CancelButton_Click");
}

TEST_F(WindowTest, TheCloseBoxUnloadsTellsTheOwnerAndTheNextShowLoadsAfresh) {
    ASSERT_TRUE(Pick("Form1"));
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    ASSERT_TRUE(driver.PressCloseBox(*window));
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_EQ(owner.closed, 1);
    EXPECT_EQ(owner.hides, 0);

    ShowWindow();
    EXPECT_EQ(window->TopMostRequests(), 2) << "the load ran again";
    EXPECT_EQ(ListOf(*window->cboForms), (std::vector<std::string>{"Form1", "Form2", "Form3", "Big", "Nested", "Empty", "Mixed", "Long"}));
    EXPECT_EQ(window->cboForms->Text(), "");
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(window->txtDeclaration->Text(), "");

    // Unloading by code (the owner's disconnection) does not call back.
    window->Unload();
    EXPECT_EQ(owner.closed, 1);
    // Without an owner the close box still unloads quietly.
    ShowWindow();
    window->SetConnect(nullptr);
    ASSERT_TRUE(driver.PressCloseBox(*window));
    EXPECT_FALSE(window->IsLoaded());
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, AboutShowsOneBoxAtATime) {
    ASSERT_TRUE(driver.Click(*window->cmdAbout));
    frmAbout* first = window->AboutBox();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsShown());
    EXPECT_TRUE(first->TopMost()) << "or it opens behind this topmost window";
    EXPECT_EQ(first->FrontRequests(), 0);
    ASSERT_TRUE(driver.PressAccessKey(*window, 'a'));
    EXPECT_EQ(window->AboutBox(), first) << "the open box is shown again";
    EXPECT_EQ(first->FrontRequests(), 1) << "and brought to the front";
    EXPECT_TRUE(window->IsShown()) << "modeless: the add-in window stays usable";
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));

    // Exit leaves it open.
    ASSERT_TRUE(driver.Click(*window->CancelButton));
    EXPECT_TRUE(first->IsShown());

    ASSERT_TRUE(driver.Click(*first->cmdOK));
    EXPECT_FALSE(window->AboutBox()->IsLoaded());
    ShowWindow();
    ASSERT_TRUE(driver.Click(*window->cmdAbout));
    ASSERT_TRUE(window->AboutBox()->IsShown());
    EXPECT_EQ(window->AboutBox()->lblDescription->Caption(), frmAbout::Description);
    EXPECT_EQ(window->AboutBox()->ActiveControl(), window->AboutBox()->cmdOK);
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST(WindowFactory, WindowsOfOneFactoryShareTheAboutBoxAndEveryWindowIsRealised) {
    std::vector<std::string> realised;
    AddInWindowFactory factory = MakeAddInWindowFactory([&](forms::Form& form) { realised.push_back(form.Name()); });
    auto host = MemoryHost::Create(SampleProject());
    forms::Driver driver;

    auto first = factory();
    auto* window = dynamic_cast<frmAddIn*>(first.get());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->IsLoaded()) << "created, not loaded";
    first->SetVBInstance(host);
    first->Show();
    ASSERT_TRUE(driver.Click(*window->cmdAbout));
    frmAbout* box = window->AboutBox();
    // The first window goes (disconnection); an About box already open stays open.
    first->Unload();
    first.reset();
    EXPECT_TRUE(box->IsShown());

    auto second = factory();
    auto* other = dynamic_cast<frmAddIn*>(second.get());
    second->SetVBInstance(host);
    second->Show();
    ASSERT_TRUE(driver.Click(*other->cmdAbout));
    EXPECT_EQ(other->AboutBox(), box);
    EXPECT_EQ(realised, (std::vector<std::string>{"frmAddIn", "frmAbout", "frmAddIn"}));
    second->Unload();
}

}  // namespace
}  // namespace tolvane::testing

namespace tolvane::testing {
namespace {

std::vector<std::string> ModuleOf(MemoryHost& host, const std::string& form) {
    auto module = host.ActiveVBProject()->VBComponents()->Item(form)->CodeModule();
    std::vector<std::string> lines;
    for (int line = 1; line <= module->CountOfLines(); ++line) lines.push_back(module->Lines(line, 1));
    return lines;
}

// Insert writes the code the boxes show into the form's module and records the picks, which
// tick the form's rows when it is picked again after another; Remove gives the module back; a
// module with damaged markers is refused by line and left as it was.
TEST_F(WindowTest, InsertWritesTheModuleRemembersThePicksAndRemoveTakesItOut) {
    ProjectData project = SampleProject();
    for (auto& component : project.components)
        if (component.name == "Form3") component.code = {"' Tolvane: Text1=LM", "Dim x"};
    host->OpenProject(project);
    ASSERT_TRUE(Pick("Form1"));
    const int row = RowOf("Command1");
    ASSERT_TRUE(driver.Tick(Box(row)) && driver.Tick(Option(row, 0)));
    ASSERT_TRUE(driver.Click(*window->cmdInsert));
    const std::vector<std::string> inserted = ModuleOf(*host, "Form1");
    ASSERT_GE(inserted.size(), 3u);
    EXPECT_EQ(inserted.front(), "' Tolvane: Command1=LM");
    EXPECT_NE(std::find(inserted.begin(), inserted.end(), "    Command1.Left = Me.ScaleWidth - (iFormScaleWidth - iCommand1_Left)"),
              inserted.end());
    EXPECT_NE(window->txtOnResize->Text().find("Command1.Left = Me.ScaleWidth"), std::string::npos);

    ASSERT_TRUE(Pick("Form2"));
    ASSERT_TRUE(Pick("Form1"));
    EXPECT_EQ(Row(RowOf("Command1")).value, 1);
    EXPECT_EQ(Row(RowOf("Command1")).options, (std::vector<int>{1, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(driver.Click(*window->cmdInsert));
    EXPECT_EQ(ModuleOf(*host, "Form1"), inserted) << "writing again changes nothing";
    ASSERT_TRUE(driver.Click(*window->cmdRemove));
    EXPECT_TRUE(ModuleOf(*host, "Form1").empty());
    EXPECT_TRUE(forms::RecordedErrors().empty());

    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Click(*window->cmdInsert));
    ASSERT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_NE(forms::RecordedErrors()[0].description.find("Form3, line 1: "), std::string::npos)
        << forms::RecordedErrors()[0].description;
    EXPECT_EQ(ModuleOf(*host, "Form3"), (std::vector<std::string>{"' Tolvane: Text1=LM", "Dim x"}));
}

}  // namespace
}  // namespace tolvane::testing
