// A form's design geometry as the preview needs it: the window's frame around the client
// area, each control's position and size, which control holds which, and the units in
// which each container places its contents.
//
// Metrics are those of Windows' classic look at 96 DPI (15 twips per pixel):
//   BorderStyle 0 None                no frame, no title bar
//   BorderStyle 1 Fixed Single        3-pixel frame, 19-pixel title bar
//   BorderStyle 2 Sizable (default)   4-pixel frame, 19-pixel title bar
//   BorderStyle 3 Fixed Dialog        3-pixel frame, 19-pixel title bar
//   BorderStyle 4 Fixed ToolWindow    3-pixel frame, 16-pixel title bar
//   BorderStyle 5 Sizable ToolWindow  4-pixel frame, 16-pixel title bar
//   a menu bar (a visible top-level menu, not on an MDI child)  19 pixels
// There is no title bar when Caption is "" and ControlBox is False. So a new sizable form,
// as VB saves it at the designer's origin (ClientLeft 60, ClientTop 345), is 8 pixels wider
// and 27 pixels taller than its client area. A picture box's border is 2 pixels (3-D) or 1
// (flat); a frame and any other container places its contents in twips from its outer
// top-left corner, a picture box in its ScaleMode units from its inner corner.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/memory/MemoryHost.h"
#include "vb/Controls.h"

namespace tolvane::preview {

inline constexpr double kTwipsPerPixel = 15;

// Outer size of a minimised window as VB reports it (160 x 24 pixels); its client area is empty.
inline constexpr double kMinimizedWidth = 160 * kTwipsPerPixel;
inline constexpr double kMinimizedHeight = 24 * kTwipsPerPixel;

// The units in which a container places its contents: twips per unit on each axis, and the
// coordinates of its inner top-left corner (ScaleLeft, ScaleTop).
struct Scale {
    double twipsPerUnitX = 1;
    double twipsPerUnitY = 1;
    double left = 0;
    double top = 0;
    int mode = vb::kTwips;  // VB's ScaleMode
};

// A number in a form file that no picture can be made of (Left = 1e308, ScaleWidth = 1e-320):
// what() names the control, the property and the value.
class LayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest position or size the preview takes, in twips either way: far beyond any screen,
// and within what VB's Long holds.
inline constexpr double kLargestTwips = 2147483647;

struct LayoutControl {
    std::string ref;        // how VB code names it: "Command1", "optColour(0)"
    std::string className;  // "VB.Frame", ...
    int container = -1;     // index of its container in FormLayout::controls; -1 the form
    // Why code cannot move or size it (vb/Controls.h); an aligned control is drawn where VB
    // puts it, the others without a place are not drawn.
    vb::NoPlace noPlace = vb::NoPlace::kNone;
    int align = 0;          // VB's Align: 1 top, 2 bottom, 3 left, 4 right
    bool Drawn() const {
        return noPlace == vb::NoPlace::kNone || noPlace == vb::NoPlace::kAligned || noPlace == vb::NoPlace::kPage;
    }
    // Twips from its container's origin, as the file stores them whatever the ScaleMode.
    double left = 0, top = 0, width = 0, height = 0;
    bool pictureBox = false;  // places its contents in ScaleWidth/ScaleHeight units
    bool tabs = false;        // a tab control (SSTab): its hidden pages' controls sit 75,000 twips left
    double border = 0;        // twips from its outer edge to its inner area, on each side
    Scale scale;              // the units of its contents (twips but for a picture box)
};

struct FormLayout {
    std::string name;
    std::string caption;
    double clientWidth = 0, clientHeight = 0;  // twips
    double frame = 0;                          // the border on each side, twips
    double titleBar = 0, menuBar = 0;          // twips
    int borderStyle = 2;                       // 2 and 5 let the user resize the window
    // An Office UserForm: every container places its contents in points from its inside, the
    // code reads InsideWidth and InsideHeight, and only code makes the window resizable.
    bool userForm = false;
    Scale scale;                               // the units of the form's own controls
    std::vector<LayoutControl> controls;       // file order: each container before its contents

    bool Resizable() const { return !userForm && (borderStyle == 2 || borderStyle == 5); }
    double OuterWidth() const { return clientWidth + 2 * frame; }
    double OuterHeight() const { return clientHeight + 2 * frame + titleBar + menuBar; }
    // The control VB code names `ref` (letter case ignored).
    std::optional<std::size_t> Find(std::string_view ref) const;
    // Every control by its folded reference, for Find: a form may hold many thousands.
    std::unordered_map<std::string, std::size_t> byRef;
};

// The layout of a form read from disk (the designer's root and control properties), a VB6 form
// or a UserForm (host::MSForm). Throws LayoutError for a number no picture can be made of.
FormLayout LayoutOf(const host::memory::ComponentData& form);

}  // namespace tolvane::preview
