#include "window/GridWords.h"

namespace tolvane {
namespace {

struct Axis {
    const char* name;
    const char* edge;
    const char* size;
};

constexpr Axis kAxes[] = {{"Left/Right", "right", "width"}, {"Up/Down", "bottom", "height"}};
constexpr const char* kOptionNames[] = {"move", "resize", "scale"};

}  // namespace

std::string OptionName(std::size_t column) {
    return std::string(kAxes[column / 3].name) + ", " + kOptionNames[column % 3];
}

std::string OptionTip(std::size_t column) {
    const Axis& axis = kAxes[column / 3];
    switch (column % 3) {
    case 0:
        return std::string("Move: the control keeps its distance to the form's ") + axis.edge +
               " edge (with S, its place in proportion to the form's " + axis.size + ").";
    case 1:
        return std::string("Resize: the control's ") + axis.size + " grows and shrinks with the form's (with S, in proportion).";
    default:
        return std::string("Scale: move and resize in proportion to the form's ") + axis.size +
               ", instead of by the same number of units.";
    }
}

std::string ColumnTip(std::size_t column) {
    return OptionTip(column) + " Click to set it on every ticked control, or, when all have it, to clear it.";
}

std::string ShortReason(vb::NoPlace reason) {
    switch (reason) {
    case vb::NoPlace::kNone: return "";
    case vb::NoPlace::kMenu: return "menu: no place";
    case vb::NoPlace::kLine: return "line: no place";
    case vb::NoPlace::kTimer: return "timer: no place";
    case vb::NoPlace::kInvisible:
    case vb::NoPlace::kNoSize: return "invisible at run time";
    case vb::NoPlace::kAligned: return "aligned by VB";
    case vb::NoPlace::kPage: return "page: fills its MultiPage";
    }
    return "no place";
}

}  // namespace tolvane
