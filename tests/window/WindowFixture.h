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

// Module1, Form1 (Command1, a frame with an option array, a picture box with a nested
// frame), Class1, MDIForm1, Form2 (20 text boxes), Form3 (5 text boxes), Big (60 controls),
// Nested (fraBox last, holding txtA and txtB), Empty (no controls).
ProjectData SampleProject();

// The state a user can see of one grid row.
struct RowView {
    std::string caption;
    int left = 0;
    bool visible = false;
    int value = 0;
    std::vector<int> options;         // six values
    std::vector<bool> optionsEnabled; // six
    std::vector<bool> optionsVisible; // six
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
    RowView Row(int r) const;
    // Index of the visible row captioned `caption`, or -1.
    int RowOf(const std::string& caption) const;
    std::vector<std::string> Captions() const;  // of the visible rows, in order
    std::vector<std::string> ListOf(const forms::Control& combo) const;

    std::shared_ptr<MemoryHost> host;
    std::unique_ptr<frmAddIn> window;
    RecordingOwner owner;
    forms::Driver driver;
};

}  // namespace tolvane::testing
