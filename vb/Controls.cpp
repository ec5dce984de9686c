#include "vb/Controls.h"

#include "vb/Names.h"

namespace tolvane::vb {
namespace {

// The class name without its library: "MSComDlg.CommonDialog" -> "CommonDialog".
std::string_view ShortName(std::string_view className) {
    const std::size_t dot = className.rfind('.');
    return dot == std::string_view::npos ? className : className.substr(dot + 1);
}

bool Is(std::string_view a, std::string_view b) { return SameKeyword(a, b); }

// Controls that are invisible at run time, by class name whatever their library: they have
// no position or size a program can use.
constexpr std::string_view kInvisibleClasses[] = {
    "CommonDialog", "ImageList", "Winsock", "Inet", "MSComm", "MAPISession", "MAPIMessages", "SysInfo",
    "ScriptControl",
};

constexpr std::string_view kIntrinsicClasses[] = {
    "CheckBox", "ComboBox", "CommandButton", "Data", "DirListBox", "DriveListBox", "FileListBox", "Frame",
    "HScrollBar", "Image", "Label", "Line", "ListBox", "Menu", "OLE", "OptionButton", "PictureBox", "Shape",
    "TextBox", "Timer", "VScrollBar",
};

}  // namespace

bool IsIntrinsic(std::string_view className) {
    const std::size_t dot = className.rfind('.');
    if (dot != std::string_view::npos && !Is(className.substr(0, dot), "VB")) return false;
    for (const std::string_view name : kIntrinsicClasses)
        if (Is(ShortName(className), name)) return true;
    return false;
}

bool MayBeAligned(std::string_view className) {
    if (!IsIntrinsic(className)) return !className.empty();
    return Is(ShortName(className), "PictureBox") || Is(ShortName(className), "Data");
}

NoPlace WhyNoPlace(std::string_view className, std::optional<bool> hasSize, int align) {
    const std::string_view name = ShortName(className);
    if (IsIntrinsic(className)) {
        if (Is(name, "Menu")) return NoPlace::kMenu;
        if (Is(name, "Line")) return NoPlace::kLine;
        if (Is(name, "Timer")) return NoPlace::kTimer;
    }
    if (Is(className, "MSForms.Page")) return NoPlace::kPage;
    for (const std::string_view invisible : kInvisibleClasses)
        if (Is(name, invisible)) return NoPlace::kInvisible;
    if (hasSize == false) return NoPlace::kNoSize;
    if (align != 0) return NoPlace::kAligned;
    return NoPlace::kNone;
}

std::string DescribeNoPlace(NoPlace reason) {
    switch (reason) {
        case NoPlace::kNone: return "it can be moved and sized";
        case NoPlace::kMenu: return "a menu has no position or size at run time";
        case NoPlace::kLine: return "a line has no Left, Top, Width or Height (it has X1, Y1, X2, Y2)";
        case NoPlace::kTimer: return "a timer has no position or size at run time";
        case NoPlace::kInvisible:
        case NoPlace::kNoSize: return "it is invisible at run time: it has no position or size";
        case NoPlace::kAligned: return "its Align is set: VB itself places it along the form's edge";
        case NoPlace::kPage: return "a page fills its MultiPage: move or size the MultiPage";
    }
    return {};
}

std::optional<int> DefaultSetting(std::string_view className, std::string_view property) {
    if (Is(property, "Align") && MayBeAligned(className) && IsIntrinsic(className)) return 0;
    if (Is(property, "ScaleMode") && IsIntrinsic(className) && Is(ShortName(className), "PictureBox")) return kTwips;
    return std::nullopt;
}

ContainerKind ContainerKindOf(std::string_view className) {
    if (IsIntrinsic(className) && Is(ShortName(className), "PictureBox")) return ContainerKind::kPictureBox;
    if (Is(className, "TabDlg.SSTab")) return ContainerKind::kTabs;
    return ContainerKind::kOther;
}

std::string_view ScaleModeConstant(int scaleMode) {
    switch (scaleMode) {
        case 0: return "vbUser";
        case 2: return "vbPoints";
        case 3: return "vbPixels";
        case 4: return "vbCharacters";
        case 5: return "vbInches";
        case 6: return "vbMillimeters";
        case 7: return "vbCentimeters";
        default: return "vbTwips";
    }
}

}  // namespace tolvane::vb
