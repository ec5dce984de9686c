#include "preview/FormRun.h"

#include <algorithm>

#include "model/ResizeCode.h"
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
    PlaceAligned();
}

void FormRun::Resize(double outerWidth, double outerHeight) {
    // Windows keeps a window at least as large as its frame, title bar and menu bar.
    outerWidth_ = std::max(outerWidth, 2 * layout_->frame);
    outerHeight_ = std::max(outerHeight, 2 * layout_->frame + layout_->titleBar + layout_->menuBar);
    minimized_ = false;
    PlaceAligned();
}

void FormRun::Minimize() {
    outerWidth_ = kMinimizedWidth;
    outerHeight_ = kMinimizedHeight;
    minimized_ = true;
    PlaceAligned();
}

void FormRun::ShowOtherPages() {
    for (std::size_t i = 0; i < layout_->controls.size(); ++i) {
        const int container = layout_->controls[i].container;
        if (container < 0 || !layout_->controls[static_cast<std::size_t>(container)].tabs) continue;
        double& left = geometry_[i][kLeft];
        left += left < -kTabParkedOffset / 2 ? kTabParkedOffset : -kTabParkedOffset;
    }
}

void FormRun::PlaceAligned() {
    // In file order: top and bottom bars stack inwards across the whole width, left and right
    // ones take the height that is left between them.
    const Rect client = ClientArea();
    const Scale& units = layout_->scale;
    double top = 0, bottom = client.height, left = 0, right = client.width;
    for (std::size_t i = 0; i < layout_->controls.size(); ++i) {
        const LayoutControl& control = layout_->controls[i];
        if (control.align < 1 || control.align > 4 || control.container >= 0 || !control.Drawn()) continue;
        auto& g = geometry_[i];
        double x = 0, y = 0, width = g[kWidth] * units.twipsPerUnitX, height = g[kHeight] * units.twipsPerUnitY;
        switch (control.align) {
            case 1: y = top, width = client.width, top = std::min(bottom, top + height); break;
            case 2: width = client.width, bottom = std::max(top, bottom - height), y = bottom; break;
            case 3: x = left, y = top, height = bottom - top, left = std::min(right, left + width); break;
            default: y = top, height = bottom - top, right = std::max(left, right - width), x = right; break;
        }
        g = {units.left + x / units.twipsPerUnitX, units.top + y / units.twipsPerUnitY, width / units.twipsPerUnitX,
             std::max(0.0, height) / units.twipsPerUnitY};
    }
}

const Scale& FormRun::UnitsOf(int container) const {
    if (container < 0 || layout_->userForm) return layout_->scale;
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
    const LayoutControl& laidOut = layout_->controls[control];
    const int container = laidOut.container;
    if (laidOut.noPlace == vb::NoPlace::kPage && container >= 0) {
        // A page fills its MultiPage, within the same margins and tabs as at the design size.
        const LayoutControl& pages = layout_->controls[static_cast<std::size_t>(container)];
        const Rect outer = Placement(static_cast<std::size_t>(container));
        return {outer.x + laidOut.left, outer.y + laidOut.top, std::max(0.0, outer.width - (pages.width - laidOut.width)),
                std::max(0.0, outer.height - (pages.height - laidOut.height))};
    }
    const Rect origin = InnerArea(container);
    const Scale& units = UnitsOf(container);
    const auto& g = geometry_[control];
    return {origin.x + (g[kLeft] - units.left) * units.twipsPerUnitX, origin.y + (g[kTop] - units.top) * units.twipsPerUnitY,
            g[kWidth] * units.twipsPerUnitX, g[kHeight] * units.twipsPerUnitY};
}

std::optional<std::size_t> FormRun::ControlNamed(std::string_view ref) const {
    // A UserForm's page, as code names it: MultiPage1.Pages("Page1").
    if (const std::size_t pages = ref.find(".Pages(\""); pages != std::string_view::npos && ref.ends_with("\")"))
        ref = ref.substr(pages + 8, ref.size() - pages - 10);
    const auto found = layout_->Find(ref);
    if (!found || !layout_->controls[*found].Drawn()) return std::nullopt;
    return found;
}

bool FormRun::IsForm(std::string_view object) const { return Is(object, "Me") || Is(object, layout_->name); }

namespace {

// Twips per unit of a ScaleMode along one axis; `own` is the object's scale for vbUser.
std::optional<double> TwipsPerUnit(double scaleMode, const Scale& own, bool horizontal) {
    switch (static_cast<int>(scaleMode)) {
        case 0: return horizontal ? own.twipsPerUnitX : own.twipsPerUnitY;
        case 1: return 1.0;
        case 2: return 20.0;
        case 3: return kTwipsPerPixel;
        case 4: return horizontal ? 120.0 : 240.0;
        case 5: return 1440.0;
        case 6: return 1440 / 25.4;
        case 7: return 1440 / 2.54;
        case 8: return 1440 / 2540.0;
        default: return std::nullopt;
    }
}

}  // namespace

std::optional<double> FormRun::Call(std::string_view object, std::string_view method,
                                    const std::vector<double>& args) {
    const bool horizontal = Is(method, "ScaleX");
    if (!horizontal && !Is(method, "ScaleY")) return std::nullopt;
    const Scale* own = IsForm(object) ? &layout_->scale : nullptr;
    if (!own) {
        const auto control = ControlNamed(object);
        if (!control || !layout_->controls[*control].pictureBox) return std::nullopt;
        own = &layout_->controls[*control].scale;
    }
    // ScaleX(width, fromscale, toscale); VB's defaults are HIMETRIC and the object's ScaleMode,
    // which the generated code never leaves out.
    if (args.size() != 3) return std::nullopt;
    const auto from = TwipsPerUnit(args[1], *own, horizontal);
    const auto to = TwipsPerUnit(args[2], *own, horizontal);
    if (!from || !to) return std::nullopt;
    return args[0] * *from / *to;
}

std::optional<double> FormRun::Get(std::string_view object, std::string_view property) const {
    if (IsForm(object)) {
        const Rect client = ClientArea();
        if (layout_->userForm) {  // in points, the inside what the code measures
            if (Is(property, "InsideWidth")) return client.width / layout_->scale.twipsPerUnitX;
            if (Is(property, "InsideHeight")) return client.height / layout_->scale.twipsPerUnitY;
            if (Is(property, "Width")) return outerWidth_ / layout_->scale.twipsPerUnitX;
            if (Is(property, "Height")) return outerHeight_ / layout_->scale.twipsPerUnitY;
            return std::nullopt;
        }
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
    const LayoutControl& laidOut = layout_->controls[*control];
    const Rect inner = InnerArea(static_cast<int>(*control));
    if (layout_->userForm && Is(property, "InsideWidth")) return inner.width / layout_->scale.twipsPerUnitX;
    if (layout_->userForm && Is(property, "InsideHeight")) return inner.height / layout_->scale.twipsPerUnitY;
    if (!laidOut.pictureBox) return std::nullopt;
    if (Is(property, "ScaleWidth")) return inner.width / laidOut.scale.twipsPerUnitX;
    if (Is(property, "ScaleHeight")) return inner.height / laidOut.scale.twipsPerUnitY;
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
