// The fixtures of tests/host_files_office (written by make_fixtures.py) and a compact view
// of a control tree.
#pragma once

#include <string>
#include <vector>

#include "host/files/office/UserForm.h"
#include "tests/support/Files.h"

namespace tolvane::office::testing {

inline std::string Fixture(const std::string& name) {
    return tolvane::testing::ReadBytes(tolvane::testing::SourcePath("tests/host_files_office/fixtures/" + name));
}

inline std::string Number(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text;
}

// One line per control, indented by nesting: "  name Class left,top widthxheight".
inline void Describe(const std::vector<UserFormControl>& controls, std::vector<std::string>& lines, int depth = 0) {
    for (const auto& control : controls) {
        std::string line(2 * depth, ' ');
        line += control.name + " " + control.className + " " + Number(control.left) + "," + Number(control.top);
        if (control.sized) line += " " + Number(control.width) + "x" + Number(control.height);
        lines.push_back(line);
        Describe(control.children, lines, depth + 1);
    }
}

inline std::vector<std::string> Describe(const std::vector<UserFormControl>& controls) {
    std::vector<std::string> lines;
    Describe(controls, lines);
    return lines;
}

// The tree of the fixtures' form "Panel" (make_fixtures.py, panel_form). Positions and sizes
// are whole HIMETRIC in the file: 6 points are written as 212 and read as 6.01.
inline const std::vector<std::string> kPanelTree = {
    "cmdOK MSForms.CommandButton 6.01,6.75 72x24.01",
    "lblName MSForms.Label 6.01,36 60.01x12.5",
    "txtName MSForms.TextBox 69.99,33.99 119.99x18",
    "fraOptions MSForms.Frame 6.01,60.01 150.01x79.99",
    "  optA MSForms.OptionButton 6.01,6.01 60.01x18",
    "  chkB MSForms.CheckBox 6.01,29.99 60.01x18",
    "mpgMain MSForms.MultiPage 169.99,60.01 200.01x150.01",
    "  Page1 MSForms.Page 0,0 195.99x119.99",
    "    fraInner MSForms.Frame 11.99,11.99 110.01x69.99",
    "      lstItems MSForms.ListBox 4.51,6.01 90.26x47.99",
    "  Page2 MSForms.Page 0,0 195.99x119.99",
    "    lblGröße MSForms.Label 6.01,6.01 50x11.99",
    "    txt名前 MSForms.TextBox 60.01,6.01 79.99x18",
    "imgLogo MSForms.Image 6.01,150.01 32x32",
    "spnCount MSForms.SpinButton 43.99,150.01 12.76x24.01",
    "scrBar MSForms.ScrollBar 60.01,150.01 100.01x11.99",
    "tglBold MSForms.ToggleButton 6.01,190.01 40x20.01",
    "cboKind MSForms.ComboBox 50,190.01 79.99x18",
    "tabView MSForms.TabStrip 6.01,220 150.01x40",
    "ctlOther {8E27C92B-1264-101C-8A2F-040224009C02} 200.01,220",
};

}  // namespace tolvane::office::testing
