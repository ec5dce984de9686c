// A UserForm as the Office forms designer stores it, read from an exported .frx or from a
// document's VBA project: what a resize-code generator needs of it.
#pragma once

#include <string>
#include <vector>

namespace tolvane::office {

struct UserFormControl {
    std::string name;       // as written, UTF-8 ("cmdOK", "Größe")
    std::string className;  // "MSForms.CommandButton", ...; another ActiveX control's CLSID "{...}"
    std::string clsid;      // "{...}" for a control of the form's class table; empty for MSForms' own
    // Points (1/72 inch), rounded to 0.01, relative to the inside of the container. A Page
    // has no position of its own (0, 0) and its inside size as its size.
    double left = 0, top = 0, width = 0, height = 0;
    bool sized = true;  // false for another ActiveX control, whose data this reader cannot size
    std::vector<UserFormControl> children;  // a Frame's controls, a MultiPage's Pages, a Page's controls
};

struct UserFormRead {
    std::string name;     // the module's name
    std::string caption;  // UTF-8; empty when none is stored
    double insideWidth = 0, insideHeight = 0;  // the form's client area, points
    std::vector<UserFormControl> controls;     // in the form's order (its sites' order)
};

}  // namespace tolvane::office
