// A form of a FormLayout while the program runs: the properties the generated code reads
// and writes, in the units VB returns them in, and where each control then is on screen.
// Positions and sizes are kept as assigned (VB itself puts windowed controls on whole pixels).
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "vbrun/Evaluator.h"
#include "preview/FormLayout.h"

namespace tolvane::preview {

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;  // twips
};

class FormRun : public VbObjects {
public:
    // The form shown at its design size, each control where the designer put it.
    explicit FormRun(const FormLayout& layout);

    // The user sizes the window to this outer size (twips), at least its frame and bars, or
    // minimises it.
    void Resize(double outerWidth, double outerHeight);
    void Minimize();
    // The user shows another page of every tab control: the controls of the pages that were
    // hidden come into view, and those in view go to the hidden side (75,000 twips left).
    void ShowOtherPages();

    double OuterWidth() const { return outerWidth_; }
    double OuterHeight() const { return outerHeight_; }
    bool Minimized() const { return minimized_; }
    // The client area, from the window's outer top-left corner; empty when minimised.
    Rect ClientArea() const;
    // Where a drawn control is now, from the window's outer top-left corner.
    Rect Placement(std::size_t control) const;

    // VbObjects: the form's Width, Height, ScaleWidth, ScaleHeight and WindowState; a
    // control's Left, Top, Width and Height, and a picture box's ScaleWidth and ScaleHeight.
    // A width or height that is below 0 in twips is refused (in a container whose scale runs
    // the other way, the units may be below 0).
    std::optional<double> Get(std::string_view object, std::string_view property) const override;
    bool Set(std::string_view object, std::string_view property, double value) override;
    // ScaleX and ScaleY of the form and of picture boxes: a size from one ScaleMode's units
    // into another's (vbUser: the object's own scale).
    std::optional<double> Call(std::string_view object, std::string_view method,
                               const std::vector<double>& args) override;

private:
    enum Geometry { kLeft, kTop, kWidth, kHeight };
    const Scale& UnitsOf(int container) const;  // the units a container's contents use
    Rect InnerArea(int container) const;        // a container's origin and inner size, twips
    std::optional<std::size_t> ControlNamed(std::string_view ref) const;
    bool IsForm(std::string_view object) const;
    void PlaceAligned();  // VB places aligned controls along the client area's edges

    const FormLayout* layout_;
    double outerWidth_, outerHeight_;
    bool minimized_ = false;
    std::vector<std::array<double, 4>> geometry_;  // per control, in its container's units
};

}  // namespace tolvane::preview
