#include <string>
#include <vector>

#include "WindowFixture.h"

namespace tolvane::testing {
namespace {

const std::vector<std::string> SampleForms = {"Form1", "Form2", "Form3", "Big", "Nested", "Empty", "Mixed", "Long"};

// Form1 in listing order with each row's indent.
const std::vector<std::pair<std::string, int>> Form1Rows = {
    {"Text1", 120},  {"Picture1", 120},   {"Frame2", 270},     {"Label1", 420},
    {"Frame1", 120}, {"Option1(1)", 270}, {"Option1(0)", 270}, {"Command1", 120},
};

// Records, at the moment the window asks to be topmost, how full the selector is.
class TopMostWatch : public forms::FormObserver {
public:
    int listCountAtTopMost = -1;
    void MadeTopMost(forms::Form& form) override {
        listCountAtTopMost = static_cast<frmAddIn&>(form).cboForms->ListCount();
    }
};

TEST_F(WindowTest, LoadListsTheProjectsFormsInComponentOrderAfterGoingTopmost) {
    EXPECT_EQ(ListOf(*window->cboForms), SampleForms);
    EXPECT_EQ(window->cboForms->ListIndex(), -1);
    EXPECT_EQ(window->cboForms->Text(), "");
    EXPECT_EQ(window->TopMostRequests(), 1);
    EXPECT_EQ(window->iCheckDefault_Left, 120);
    EXPECT_TRUE(Captions().empty());
    for (const forms::Control* c : window->HeaderGroup()) EXPECT_FALSE(c->Visible());

    frmAddIn second;
    TopMostWatch watch;
    second.SetObserver(&watch);
    second.SetVBInstance(host);
    second.Show();
    EXPECT_EQ(watch.listCountAtTopMost, 0) << "topmost is requested before the list is filled";
    EXPECT_EQ(second.cboForms->ListCount(), 8);
    second.Unload();
    second.SetObserver(nullptr);
}

TEST_F(WindowTest, APickListsContainersFollowedByTheirIndentedContents) {
    ASSERT_TRUE(Pick("Form1"));
    ASSERT_EQ(Captions().size(), Form1Rows.size());
    for (std::size_t r = 0; r < Form1Rows.size(); ++r) {
        EXPECT_EQ(Row(static_cast<int>(r)),
                  (RowView{Form1Rows[r].first, Form1Rows[r].second, true, 0, std::vector<int>(6, 0),
                           std::vector<bool>(6, false), std::vector<bool>(6, true)}))
            << "row " << r;
    }
    EXPECT_FALSE(window->Check1[Form1Rows.size()]->Visible()) << "row windows past the last row stay hidden";
    for (const forms::Control* c : window->HeaderGroup()) EXPECT_TRUE(c->Visible()) << c->Name();

    ASSERT_TRUE(Pick("Nested"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"fraBox", "txtB", "txtA", "cmdGo"}));
    EXPECT_EQ((std::vector<int>{Row(0).left, Row(1).left, Row(2).left, Row(3).left}),
              (std::vector<int>{120, 270, 270, 120}));
    EXPECT_TRUE(forms::RecordedErrors().empty());
}

TEST_F(WindowTest, AHostThatHoldsOnlyTopLevelControlsGivesTheSameRows) {
    host = MemoryHost::Create(SampleProject(), host::memory::FormCollection::TopLevelOnly);
    window = std::make_unique<frmAddIn>();
    ShowWindow();
    ASSERT_TRUE(Pick("Form1"));
    std::vector<std::string> expected;
    for (const auto& row : Form1Rows) expected.push_back(row.first);
    EXPECT_EQ(Captions(), expected);
}

TEST_F(WindowTest, EveryControlIsListedAndAnEmptyFormShowsTheHeads) {
    ASSERT_TRUE(Pick("Big"));
    const auto captions = Captions();
    ASSERT_EQ(captions.size(), 60u);
    EXPECT_EQ(captions.front(), "Ctl60");
    EXPECT_EQ(captions.back(), "Ctl1");
    EXPECT_EQ(window->lblControlName->Caption(), "Control Name");

    ASSERT_TRUE(Pick("Empty"));
    EXPECT_TRUE(Captions().empty());
    for (const forms::Control* c : window->HeaderGroup()) EXPECT_TRUE(c->Visible()) << "shown for an empty form";

    // A pick leaves no row of an earlier pick behind: generating names only Form3's controls.
    ASSERT_TRUE(Pick("Form2"));
    ASSERT_TRUE(driver.Tick(Box(7)));
    ASSERT_TRUE(driver.Tick(Option(7, 0)));
    ASSERT_TRUE(Pick("Form3"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Text5", "Text4", "Text3", "Text2", "Text1"}));
    for (int slot = 5; slot < frmAddIn::kSlots; ++slot)
        EXPECT_FALSE(window->Check1[static_cast<std::size_t>(slot)]->Visible()) << slot;
    ASSERT_TRUE(driver.Click(*window->cmdGenCode));
    EXPECT_EQ(window->txtOnResize->Text(), "");
}

TEST_F(WindowTest, ARowKeepsItsChoicesOnlyWhileItNamesTheSameControl) {
    ASSERT_TRUE(Pick("Form2"));  // rows Text20, Text19, ...
    ASSERT_TRUE(driver.Tick(Box(0)));
    ASSERT_TRUE(driver.Tick(Option(0, 1)));
    ASSERT_TRUE(driver.Tick(Box(1)));
    ASSERT_TRUE(driver.Tick(Option(1, 5)));
    ASSERT_TRUE(driver.Tick(Box(1)));  // unticked, its option value stays

    // Picking the same form again keeps the user's choices, options enabled as ticked.
    ASSERT_TRUE(Pick("Form2"));
    EXPECT_EQ(Row(0), (RowView{"Text20", 120, true, 1, {0, 1, 0, 0, 0, 0}, std::vector<bool>(6, true),
                               std::vector<bool>(6, true)}));
    EXPECT_EQ(Row(1), (RowView{"Text19", 120, true, 0, {0, 0, 0, 0, 0, 1}, std::vector<bool>(6, false),
                               std::vector<bool>(6, true)}));
    // Clicking the kept row unticks it and disables its options.
    ASSERT_TRUE(driver.Tick(Box(0)));
    EXPECT_EQ(Row(0).optionsEnabled, std::vector<bool>(6, false));
    ASSERT_TRUE(driver.Tick(Box(0)));

    // Another form: the rows now name other controls and start clear.
    ASSERT_TRUE(Pick("Form3"));
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(Row(r).value, 0) << r;
        EXPECT_EQ(Row(r).options, std::vector<int>(6, 0)) << r;
        EXPECT_EQ(Row(r).optionsEnabled, std::vector<bool>(6, false)) << r;
    }
}

TEST_F(WindowTest, EveryFilledRowStandsAtItsOwnNestingLevel) {
    ASSERT_TRUE(Pick("Form1"));  // rows 2 and 3 indented twice and three times
    ASSERT_TRUE(Pick("Form3"));  // all top level
    for (int r = 0; r < 5; ++r) EXPECT_EQ(Row(r).left, 120) << r;
    ASSERT_TRUE(Pick("Nested"));
    EXPECT_EQ(Row(1).left, 270);
    ASSERT_TRUE(Pick("Form1"));
    for (std::size_t r = 0; r < Form1Rows.size(); ++r) EXPECT_EQ(Row(static_cast<int>(r)).left, Form1Rows[r].second);
}

struct LoadFault {
    const char* operation;
    int skip;
    std::vector<std::string> listed;  // what the selector holds afterwards
};

TEST_F(WindowTest, AFailingHostCallEndsTheLoadAndIsReported) {
    const std::vector<LoadFault> cases = {
        {"Root.ActiveVBProject", 0, {}},
        {"Components.Count", 0, {}},
        {"Components.Item", 4, {"Form1"}},  // fails on the way to MDIForm1's Type
        {"Component.Type", 5, {"Form1", "Form2"}},
        {"Component.Name", 1, {"Form1"}},
    };
    for (const auto& c : cases) {
        forms::ClearRecordedErrors();
        auto faulty = MemoryHost::Create(SampleProject());
        faulty->Faults().Fail(c.operation, "Method '~' of object '~' failed", c.skip);
        frmAddIn w;
        w.SetVBInstance(faulty);
        w.Show();
        EXPECT_TRUE(w.IsShown()) << c.operation;
        EXPECT_EQ(w.TopMostRequests(), 1) << c.operation;
        EXPECT_EQ(ListOf(*w.cboForms), c.listed) << c.operation;
        ASSERT_EQ(forms::RecordedErrors().size(), 1u) << c.operation;
        EXPECT_EQ(forms::RecordedErrors()[0],
                  (forms::ErrorReport{"frmAddIn", "Form_Load", "Method '~' of object '~' failed"}));
        w.Unload();
    }

    forms::ClearRecordedErrors();
    frmAddIn orphan;
    orphan.Show();
    ASSERT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_EQ(forms::RecordedErrors()[0].description, "Object variable or With block variable not set");
    orphan.Unload();
}

TEST_F(WindowTest, AFailingPickKeepsTheGridWhenItListedNothingAndElseShowsOnlyWhatItListed) {
    std::vector<std::string> full;
    for (const auto& row : Form1Rows) full.push_back(row.first);
    const auto grid = [this] {
        const auto rows = window->Grid().Rows();
        return std::vector<ControlRow>(rows.begin(), rows.end());
    };

    int untouched = 0, partial = 0;
    for (const char* operation : {"Controls.Item", "Properties.Item", "Property.Value", "Control.ContainedVBControls",
                                  "Components.Item", "FormDesigner.VBControls"}) {
        for (int skip = 0; skip < 40; ++skip) {
            SCOPED_TRACE(std::string(operation) + " skip " + std::to_string(skip));
            forms::ClearRecordedErrors();
            host = MemoryHost::Create(SampleProject());
            window = std::make_unique<frmAddIn>();
            ShowWindow();
            ASSERT_TRUE(Pick("Big"));  // 60 rows an earlier pick leaves, one of them ticked
            ASSERT_TRUE(driver.Tick(Box(0)));
            ASSERT_TRUE(driver.Tick(Option(0, 0)));
            const auto before = grid();
            host->Faults().Fail(operation, "Subscript out of range", skip);
            ASSERT_TRUE(Pick("Form1"));
            const auto captions = Captions();
            if (forms::RecordedErrors().empty()) {
                EXPECT_EQ(captions, full);
                break;  // the fault lies beyond the listing
            }
            EXPECT_EQ(forms::RecordedErrors()[0],
                      (forms::ErrorReport{"frmAddIn", "cboForms_Click", "Subscript out of range"}));
            if (captions.size() == 60u && captions[0] == "Ctl60") {
                // Failed before the first row: nothing of the grid changed, ticks included.
                EXPECT_EQ(grid(), before);
                ++untouched;
            } else {
                ASSERT_LE(captions.size(), full.size());
                EXPECT_EQ(captions, std::vector<std::string>(full.begin(), full.begin() + captions.size()));
                if (captions.size() < full.size()) ++partial;
            }
            // The window goes on working.
            host->Faults().Clear();
            ASSERT_TRUE(Pick("Form1"));
            EXPECT_EQ(Captions(), full);
        }
    }
    EXPECT_GT(untouched, 5) << "some faults must strike before the first row";
    EXPECT_GT(partial, 5) << "some faults must strike in the middle of a listing";
}

TEST_F(WindowTest, APickWithoutAnActiveProjectIsReportedAndLeavesTheGrid) {
    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Tick(Box(2)));
    const RowView ticked = Row(2);
    host->CloseProject();
    ASSERT_TRUE(Pick("Form1"));
    ASSERT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_EQ(forms::RecordedErrors()[0].source, "cboForms_Click");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Text5", "Text4", "Text3", "Text2", "Text1"}));
    EXPECT_EQ(Row(2), ticked);
}

TEST_F(WindowTest, OpeningTheListFillsItAgainFromTheProjectKeepingTheText) {
    ASSERT_TRUE(Pick("Form3"));
    ASSERT_TRUE(driver.Tick(Box(0)));
    // Form2 goes, Form4 comes in after Form1; modules and MDI forms are still left out.
    ProjectData changed = SampleProject();
    changed.components.erase(changed.components.begin() + 4);
    changed.components.insert(changed.components.begin() + 2, FlatForm("Form4", 3));
    changed.components.push_back({"Module2", host::ComponentType::StdModule, {}, false});
    host->OpenProject(changed);
    EXPECT_EQ(ListOf(*window->cboForms), SampleForms) << "not before the list is opened";

    ASSERT_TRUE(driver.OpenList(*window->cboForms));
    EXPECT_EQ(ListOf(*window->cboForms),
              (std::vector<std::string>{"Form1", "Form4", "Form3", "Big", "Nested", "Empty", "Mixed", "Long"}));
    EXPECT_EQ(window->cboForms->Text(), "Form3");
    EXPECT_EQ(Row(0).value, 1) << "opening the list picks nothing";
    EXPECT_FALSE(Pick("Form2"));
    ASSERT_TRUE(Pick("Form4"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"Text3", "Text2", "Text1"}));

    // A list that cannot be read again stays as it was; the failure is reported.
    host->CloseProject();
    ASSERT_TRUE(driver.OpenList(*window->cboForms));
    EXPECT_EQ(ListOf(*window->cboForms).size(), 8u);
    ASSERT_EQ(forms::RecordedErrors().size(), 1u);
    EXPECT_EQ(forms::RecordedErrors()[0].source, "cboForms_DropDown");
}

}  // namespace
}  // namespace tolvane::testing
