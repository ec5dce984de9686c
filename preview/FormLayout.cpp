#include "preview/FormLayout.h"

#include <charconv>
#include <cmath>

#include "vb/Names.h"

namespace tolvane::preview {
namespace {

using Properties = std::map<std::string, host::PropertyValue>;

const host::PropertyValue* Find(const Properties& properties, std::string_view name) {
    for (const auto& [key, value] : properties)
        if (vb::SameNameIgnoringCase(key, name)) return &value;
    return nullptr;
}

// A number as the file writes it ("120", "-74880", "1.52981e5", "8,25").
std::optional<double> Number(const Properties& properties, std::string_view name) {
    const host::PropertyValue* value = Find(properties, name);
    if (!value || value->IsEmpty()) return std::nullopt;
    if (value->IsNumber()) return value->AsNumber();
    std::string text = value->AsText();
    for (char& c : text)
        if (c == ',') c = '.';
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) return std::nullopt;
    return number;
}

// A setting such as ScaleMode or BorderStyle, or `otherwise` when absent or not one.
int Setting(const Properties& properties, std::string_view name, int otherwise) {
    const auto number = Number(properties, name);
    return number && *number >= 0 && *number <= 255 ? static_cast<int>(*number) : otherwise;
}

bool IsFalse(const Properties& properties, std::string_view name) { return Number(properties, name) == 0.0; }

// The units of a form's or picture box's contents, from its ScaleMode (user scales from
// ScaleWidth and ScaleHeight over the inner size).
Scale ScaleOf(const Properties& properties, double innerWidth, double innerHeight) {
    switch (Setting(properties, "ScaleMode", 1)) {
        case 0: {
            Scale scale;
            const double width = Number(properties, "ScaleWidth").value_or(0);
            const double height = Number(properties, "ScaleHeight").value_or(0);
            if (width != 0 && innerWidth != 0) scale.twipsPerUnitX = innerWidth / width;
            if (height != 0 && innerHeight != 0) scale.twipsPerUnitY = innerHeight / height;
            scale.left = Number(properties, "ScaleLeft").value_or(0);
            scale.top = Number(properties, "ScaleTop").value_or(0);
            return scale;
        }
        case 2: return {20, 20};                       // points
        case 3: return {kTwipsPerPixel, kTwipsPerPixel};  // pixels
        case 4: return {120, 240};                     // characters
        case 5: return {1440, 1440};                   // inches
        case 6: return {1440 / 25.4, 1440 / 25.4};     // millimetres
        case 7: return {1440 / 2.54, 1440 / 2.54};     // centimetres
        default: return {};                            // twips
    }
}

bool IsClass(const std::string& className, std::string_view wanted) { return vb::SameNameIgnoringCase(className, wanted); }

void AddControls(const std::vector<host::memory::ControlData>& specs, int container, FormLayout& layout) {
    for (const auto& spec : specs) {
        LayoutControl control;
        control.ref = vb::ControlReference(spec.name, spec.index);
        control.className = spec.className;
        control.container = container;
        const auto width = Number(spec.properties, "Width");
        const auto height = Number(spec.properties, "Height");
        control.placed = width && height && !IsClass(spec.className, "VB.Menu");
        control.left = Number(spec.properties, "Left").value_or(0);
        control.top = Number(spec.properties, "Top").value_or(0);
        control.width = width.value_or(0);
        control.height = height.value_or(0);
        if (IsClass(spec.className, "VB.PictureBox")) {
            control.pictureBox = true;
            const bool bordered = !IsFalse(spec.properties, "BorderStyle");
            control.border = !bordered ? 0 : IsFalse(spec.properties, "Appearance") ? kTwipsPerPixel : 2 * kTwipsPerPixel;
            control.scale = ScaleOf(spec.properties, control.width - 2 * control.border,
                                    control.height - 2 * control.border);
        }
        layout.controls.push_back(std::move(control));
        AddControls(spec.children, static_cast<int>(layout.controls.size() - 1), layout);
    }
}

}  // namespace

std::optional<std::size_t> FormLayout::Find(std::string_view ref) const {
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (vb::SameNameIgnoringCase(controls[i].ref, ref)) return i;
    return std::nullopt;
}

FormLayout LayoutOf(const host::memory::ComponentData& form) {
    const Properties& properties = form.properties;
    FormLayout layout;
    layout.name = form.name;
    const host::PropertyValue* caption = Find(properties, "Caption");
    layout.caption = caption ? caption->AsText() : form.name;
    layout.clientWidth = Number(properties, "ClientWidth").value_or(0);
    layout.clientHeight = Number(properties, "ClientHeight").value_or(0);
    layout.scale = ScaleOf(properties, layout.clientWidth, layout.clientHeight);

    const int borderStyle = Setting(properties, "BorderStyle", 2);
    const bool toolWindow = borderStyle == 4 || borderStyle == 5;
    const bool titled = borderStyle != 0 && !(layout.caption.empty() && IsFalse(properties, "ControlBox"));
    layout.frame = borderStyle == 0 ? 0 : (borderStyle == 2 || borderStyle == 5 ? 4 : 3) * kTwipsPerPixel;
    layout.titleBar = titled ? (toolWindow ? 16 : 19) * kTwipsPerPixel : 0;
    const bool mdiChild = Number(properties, "MDIChild").value_or(0) != 0;
    for (const auto& control : form.controls)
        if (IsClass(control.className, "VB.Menu") && !IsFalse(control.properties, "Visible") && !mdiChild && borderStyle != 0)
            layout.menuBar = 19 * kTwipsPerPixel;

    AddControls(form.controls, -1, layout);
    return layout;
}

}  // namespace tolvane::preview
