// Windows with labelled control rectangles, side by side, as one SVG picture. Plain data
// in, text out: one pixel of the picture is 15 twips, as on a screen at 96 DPI.
#pragma once

#include <string>
#include <vector>

#include "preview/FormRun.h"

namespace tolvane::preview {

struct SvgControl {
    std::string label;
    Rect box;  // twips from the window's outer top-left corner
    bool picked = false;
    bool holdsOthers = false;  // labelled at its bottom, clear of its contents
    int error = 0;             // a VB run-time error its code raises, or 0
};

struct SvgWindow {
    std::string heading;  // above the window
    std::string caption;  // in its title bar
    double width = 0, height = 0, frame = 0, titleBar = 0, menuBar = 0;  // twips
    Rect client;
    std::vector<SvgControl> controls;  // drawn in this order, so containers go first
    std::vector<std::string> notes;    // below the window
};

std::string WriteSvg(const std::vector<SvgWindow>& windows, const std::vector<std::string>& footer);

}  // namespace tolvane::preview
