// Shared set-up for the add-in window tests: an in-memory IDE with a small project, a
// window driven through forms::Driver, and an owner that records what the window asks.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Driver.h"
#include "forms/ErrorReport.h"
#include "host/memory/MemoryHost.h"
#include "tests/support/HostBuilders.h"
#include "tests/support/RecordingOwner.h"
#include "window/frmAddIn.h"

namespace tolvane::testing {

using host::memory::ComponentData;
using host::memory::ControlData;
using host::memory::MemoryHost;
using host::memory::ProjectData;

// A form with `count` plain controls named <prefix>1 .. <prefix>count.
ComponentData FlatForm(std::string name, int count, const std::string& prefix = "Text");

// A control of that class.
ControlData OfClass(std::string name, std::string className, std::int32_t index = -1);

// Module1, Form1 (Command1, a frame with an option array, a picture box with a nested
// frame), Class1, MDIForm1, Form2 (20 text boxes), Form3 (5 text boxes), Big (60 controls),
// Nested (fraBox last, holding txtA and txtB), Empty (no controls), Mixed (a menu, a timer,
// a line, a picture box whose Align cannot be read, a command button and an option array;
// see MixedRows), Long (520 text boxes).
ProjectData SampleProject();
// Mixed's rows in listing order.
inline const std::vector<std::string> MixedRows = {"picLogo", "Option1(2)", "Option1(1)", "Option1(0)",
                                                   "cmdOK",   "Line1",      "Timer1",     "mnuFile"};

// The state a user can see of one grid row.
struct RowView {
    std::string caption;
    int left = 0;
    bool visible = false;
    int value = 0;
    std::vector<int> options;         // six values
    std::vector<bool> optionsEnabled; // six
    std::vector<bool> optionsVisible; // six
    bool enabled = true;              // the row's own box
    bool operator==(const RowView& other) const = default;
};
std::ostream& operator<<(std::ostream& out, const RowView& row);

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shows the window as Connect does: members first, then the display.
    void ShowWindow();
    bool Pick(const std::string& form) { return driver.ChooseListEntry(*window->cboForms, form); }
    // The row window that shows row r, scrolled into view as a user would; -1 for no such row.
    int Slot(int r);
    forms::Control& Box(int r) { return *window->Check1.at(static_cast<std::size_t>(Slot(r))); }
    forms::Control& Option(int r, std::size_t k) { return *window->OptionBoxes(Slot(r)).at(k); }
    // Row r as its row window shows it once scrolled into view; {} past the last row.
    RowView Row(int r);
    // Index of the row captioned `caption` among the rows in view, or -1.
    int RowOf(const std::string& caption) const;
    std::vector<std::string> Captions() const;  // of the rows in view, in order
    std::vector<std::string> ListOf(const forms::Control& combo) const;

    std::shared_ptr<MemoryHost> host;
    std::unique_ptr<frmAddIn> window;
    RecordingOwner owner;
    forms::Driver driver;
};

}  // namespace tolvane::testing
