// Which controls have a place at run time: a position and a size that code may set. Menus,
// lines and timers have no Left/Top/Width/Height at all; controls that are invisible at run
// time (a common dialog, an image list, a socket...) have none either; a control with Align
// set is placed by VB itself, so code that moves it fights VB. One rule for the listing, the
// add-in, the command line and the preview.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::vb {

enum class NoPlace : std::uint8_t {
    kNone,       // it has a place: code may move and size it
    kMenu,       // VB.Menu
    kLine,       // VB.Line: X1, Y1, X2, Y2 instead
    kTimer,      // VB.Timer
    kInvisible,  // a control that is invisible at run time (CommonDialog, ImageList, Winsock...)
    kNoSize,     // no Width and Height: invisible at run time
    kAligned,    // Align is set: VB places it along an edge of the form
    kPage,       // a page of a UserForm's MultiPage: it fills its MultiPage
};

// `className` as the file or the IDE names the class: a ProgID ("VB.Menu",
// "MSComDlg.CommonDialog") or a bare class name ("Menu"); letter case ignored. `hasSize`
// tells whether the control has Width and Height (nullopt: not known); `align` is its
// Align setting (0 for none).
NoPlace WhyNoPlace(std::string_view className, std::optional<bool> hasSize, int align);

// Why, in a few words for a message or a tooltip: "a menu has no position or size at run time".
std::string DescribeNoPlace(NoPlace reason);

// Whether a control of this class may have Align set (a picture box, a data control, and any
// control from outside VB's own library, such as a toolbar or a status bar).
bool MayBeAligned(std::string_view className);

// Whether the class is one of VB's own (VB.* or a bare intrinsic name such as "CommandButton").
bool IsIntrinsic(std::string_view className);

// VB's default for a setting the designer files leave out when it has its default value
// (ScaleMode of a picture box, Align of a control that may be aligned), or nothing.
std::optional<int> DefaultSetting(std::string_view className, std::string_view property);

// VB's ScaleMode values: the units in which a form or picture box places its contents.
inline constexpr int kUserScale = 0;
inline constexpr int kTwips = 1;

// How a container places the controls inside it.
enum class ContainerKind : std::uint8_t {
    kOther,       // in twips from its outer corner, whatever units it sits in (a frame)
    kPictureBox,  // in its own ScaleMode units; its inside is ScaleWidth x ScaleHeight
    kTabs,        // like kOther, and the controls of hidden pages sit 75,000 twips to the left (SSTab)
};

// How a container of this class (a ProgID, "VB.PictureBox") places its contents.
ContainerKind ContainerKindOf(std::string_view className);

// Where a control sits, as code that moves it must know: what holds it, and as a container how
// it places its contents and how code names it.
struct ControlPlace {
    int container = -1;                          // the listing position of its container; -1: the form
    ContainerKind kind = ContainerKind::kOther;  // as a container
    int scaleMode = kTwips;                      // as a picture box: the units of its contents
    // How code names it as a container when that is not its reference: a UserForm's page is
    // MultiPage1.Pages("Page1").
    std::string reference = {};

    bool operator==(const ControlPlace& other) const = default;
};

// The name of the constant for a ScaleMode value (vbTwips, vbPixels...), as generated code
// writes it; "vbTwips" for a value VB does not define.
std::string_view ScaleModeConstant(int scaleMode);

}  // namespace tolvane::vb
