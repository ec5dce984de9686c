#include "preview/FormRun.h"

#include <algorithm>

#include "vb/Names.h"

namespace tolvane::preview {
namespace {

const Scale kTwips{};

bool Is(std::string_view a, std::string_view b) { return vb::SameNameIgnoringCase(a, b); }

}  // namespace

FormRun::FormRun(const FormLayout& layout)
    : layout_(&layout), outerWidth_(layout.OuterWidth()), outerHeight_(layout.OuterHeight()) {
    geometry_.reserve(layout.controls.size());
    for (const LayoutControl& control : layout.controls) {
        const Scale& units = UnitsOf(control.container);
        geometry_.push_back({units.left + control.left / units.twipsPerUnitX, units.top + control.top / units.twipsPerUnitY,
                             control.width / units.twipsPerUnitX, control.height / units.twipsPerUnitY});
    }
}

void FormRun::Resize(double outerWidth, double outerHeight) {
    outerWidth_ = outerWidth;
    outerHeight_ = outerHeight;
    minimized_ = false;
}

void FormRun::Minimize() {
    outerWidth_ = kMinimizedWidth;
    outerHeight_ = kMinimizedHeight;
    minimized_ = true;
}

const Scale& FormRun::UnitsOf(int container) const {
    if (container < 0) return layout_->scale;
    const LayoutControl& holder = layout_->controls[static_cast<std::size_t>(container)];
    return holder.pictureBox ? holder.scale : kTwips;
}

Rect FormRun::ClientArea() const {
    const FormLayout& form = *layout_;
    const double top = form.frame + form.titleBar + form.menuBar;
    if (minimized_) return {form.frame, top, 0, 0};
    return {form.frame, top, std::max(0.0, outerWidth_ - 2 * form.frame), std::max(0.0, outerHeight_ - top - form.frame)};
}

Rect FormRun::InnerArea(int container) const {
    if (container < 0) return ClientArea();
    const LayoutControl& holder = layout_->controls[static_cast<std::size_t>(container)];
    const Rect outer = Placement(static_cast<std::size_t>(container));
    return {outer.x + holder.border, outer.y + holder.border, std::max(0.0, outer.width - 2 * holder.border),
            std::max(0.0, outer.height - 2 * holder.border)};
}

Rect FormRun::Placement(std::size_t control) const {
    const int container = layout_->controls[control].container;
    const Rect origin = InnerArea(container);
    const Scale& units = UnitsOf(container);
    const auto& g = geometry_[control];
    return {origin.x + (g[kLeft] - units.left) * units.twipsPerUnitX, origin.y + (g[kTop] - units.top) * units.twipsPerUnitY,
            g[kWidth] * units.twipsPerUnitX, g[kHeight] * units.twipsPerUnitY};
}

std::optional<std::size_t> FormRun::ControlNamed(std::string_view ref) const {
    const auto found = layout_->Find(ref);
    if (!found || !layout_->controls[*found].placed) return std::nullopt;
    return found;
}

std::optional<double> FormRun::Get(std::string_view object, std::string_view property) const {
    if (Is(object, layout_->name)) {
        const Rect client = ClientArea();
        if (Is(property, "Width")) return outerWidth_;
        if (Is(property, "Height")) return outerHeight_;
        if (Is(property, "ScaleWidth")) return client.width / layout_->scale.twipsPerUnitX;
        if (Is(property, "ScaleHeight")) return client.height / layout_->scale.twipsPerUnitY;
        if (Is(property, "WindowState")) return minimized_ ? 1.0 : 0.0;
        return std::nullopt;
    }
    const auto control = ControlNamed(object);
    if (!control) return std::nullopt;
    const auto& g = geometry_[*control];
    if (Is(property, "Left")) return g[kLeft];
    if (Is(property, "Top")) return g[kTop];
    if (Is(property, "Width")) return g[kWidth];
    if (Is(property, "Height")) return g[kHeight];
    const LayoutControl& spec = layout_->controls[*control];
    if (!spec.pictureBox) return std::nullopt;
    const Rect inner = InnerArea(static_cast<int>(*control));
    if (Is(property, "ScaleWidth")) return inner.width / spec.scale.twipsPerUnitX;
    if (Is(property, "ScaleHeight")) return inner.height / spec.scale.twipsPerUnitY;
    return std::nullopt;
}

bool FormRun::Set(std::string_view object, std::string_view property, double value) {
    const auto control = ControlNamed(object);
    if (!control) return true;
    const Scale& units = UnitsOf(layout_->controls[*control].container);
    auto& g = geometry_[*control];
    if (Is(property, "Left")) g[kLeft] = value;
    else if (Is(property, "Top")) g[kTop] = value;
    else if (Is(property, "Width") && value * units.twipsPerUnitX >= 0) g[kWidth] = value;
    else if (Is(property, "Height") && value * units.twipsPerUnitY >= 0) g[kHeight] = value;
    else return !Is(property, "Width") && !Is(property, "Height");
    return true;
}

}  // namespace tolvane::preview
