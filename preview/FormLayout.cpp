#include "preview/FormLayout.h"

#include <charconv>
#include <cmath>

#include "model/ResizeCode.h"
#include "vb/Names.h"

namespace tolvane::preview {
namespace {

using Properties = std::map<std::string, host::PropertyValue>;

const host::PropertyValue* Find(const Properties& properties, std::string_view name) {
    for (const auto& [key, value] : properties)
        if (vb::SameNameIgnoringCase(key, name)) return &value;
    return nullptr;
}

std::string Shown(double number) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
    return error == std::errc() ? std::string(buffer, end) : "?";
}

// The properties of one control (or of the form), read as numbers for the picture.
class Reader {
public:
    Reader(const Properties& properties, std::string owner) : properties_(properties), owner_(std::move(owner)) {}

    // A number as the file writes it ("120", "-74880", "1.52981e5", "8,25"), or nothing when
    // absent or not a number; one beyond kLargestTwips either way is refused.
    std::optional<double> Number(std::string_view name) const {
        const host::PropertyValue* value = Find(properties_, name);
        if (!value || value->IsEmpty()) return std::nullopt;
        double number = 0;
        if (value->IsNumber()) {
            number = value->AsNumber();
        } else {
            std::string text = value->AsText();
            for (char& c : text)
                if (c == ',') c = '.';
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (error == std::errc::result_out_of_range) Refuse(name, text, kOutOfRange);
            if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) return std::nullopt;
        }
        if (std::fabs(number) > kLargestTwips) Refuse(name, Shown(number), kOutOfRange);
        return number;
    }

    // A setting such as ScaleMode or BorderStyle, or `otherwise` when absent or not one.
    int Setting(std::string_view name, int otherwise) const {
        const auto number = Number(name);
        return number && *number >= 0 && *number <= 255 ? static_cast<int>(*number) : otherwise;
    }

    bool IsFalse(std::string_view name) const { return Number(name) == 0.0; }

    // The units of a form's or picture box's contents, from its ScaleMode (user scales from
    // ScaleWidth and ScaleHeight over the inner size).
    Scale ScaleOf(double innerWidth, double innerHeight) const {
        const int mode = Setting("ScaleMode", vb::kTwips);
        switch (mode) {
            case vb::kUserScale: {
                Scale scale{1, 1, Number("ScaleLeft").value_or(0), Number("ScaleTop").value_or(0), mode};
                scale.twipsPerUnitX = UserUnit("ScaleWidth", innerWidth);
                scale.twipsPerUnitY = UserUnit("ScaleHeight", innerHeight);
                return scale;
            }
            case 2: return {20, 20, 0, 0, mode};                          // points
            case 3: return {kTwipsPerPixel, kTwipsPerPixel, 0, 0, mode};  // pixels
            case 4: return {120, 240, 0, 0, mode};                        // characters
            case 5: return {1440, 1440, 0, 0, mode};                      // inches
            case 6: return {1440 / 25.4, 1440 / 25.4, 0, 0, mode};        // millimetres
            case 7: return {1440 / 2.54, 1440 / 2.54, 0, 0, mode};        // centimetres
            default: return {};                                           // twips
        }
    }

private:
    // Twips per unit of a user scale: the inside over ScaleWidth (or ScaleHeight).
    double UserUnit(std::string_view name, double inner) const {
        const double units = Number(name).value_or(0);
        if (units == 0 || inner == 0) return 1;
        const double twips = inner / units;
        if (!std::isfinite(twips) || std::fabs(twips) > kLargestTwips || std::fabs(twips) < 1 / kLargestTwips)
            Refuse(name, Shown(units), "gives no usable scale");
        return twips;
    }

    [[noreturn]] void Refuse(std::string_view name, const std::string& value, const std::string& problem) const {
        throw LayoutError(owner_ + ": " + std::string(name) + " = " + vb::PrintablePrefix(value, 40) + " " + problem);
    }

    inline static const std::string kOutOfRange = "is out of range (at most " + Shown(kLargestTwips) + " either way)";

    const Properties& properties_;
    std::string owner_;
};

bool IsClass(const std::string& className, std::string_view wanted) { return vb::SameNameIgnoringCase(className, wanted); }

void AddControls(const std::vector<host::memory::ControlData>& read, int container, const std::string& form,
                 FormLayout& layout) {
    for (const auto& data : read) {
        LayoutControl control;
        control.ref = vb::ControlReference(data.name, data.index);
        const Reader read(data.properties, form + "." + control.ref);
        control.className = data.className;
        control.container = container;
        const auto width = read.Number("Width");
        const auto height = read.Number("Height");
        control.align = read.Setting("Align", 0);
        control.noPlace = vb::WhyNoPlace(data.className, width && height, control.align);
        control.left = read.Number("Left").value_or(0);
        control.top = read.Number("Top").value_or(0);
        control.width = width.value_or(0);
        control.height = height.value_or(0);
        control.tabs = ContainerKindOf(data.className) == ContainerKind::kTabs;
        if (ContainerKindOf(data.className) == ContainerKind::kPictureBox) {
            control.pictureBox = true;
            const bool bordered = !read.IsFalse("BorderStyle");
            control.border = !bordered ? 0 : read.IsFalse("Appearance") ? kTwipsPerPixel : 2 * kTwipsPerPixel;
            control.scale = read.ScaleOf(control.width - 2 * control.border, control.height - 2 * control.border);
        }
        layout.controls.push_back(std::move(control));
        AddControls(data.children, static_cast<int>(layout.controls.size() - 1), form, layout);
    }
}

// Points, as a UserForm's properties give them, in the layout's twips.
constexpr double kTwipsPerPoint = 20;

// A UserForm's controls: points from their container's inside. A page fills its MultiPage
// below the tabs; a frame's inside lies within its border and under its caption.
void AddUserFormControls(const std::vector<host::memory::ControlData>& read, int container, const std::string& form,
                         FormLayout& layout) {
    for (const auto& data : read) {
        LayoutControl control;
        control.ref = vb::ControlReference(data.name, data.index);
        const Reader read(data.properties, form + "." + control.ref);
        control.className = data.className;
        control.container = container;
        const auto width = read.Number("Width"), height = read.Number("Height");
        control.noPlace = vb::WhyNoPlace(data.className, width && height, 0);
        control.left = read.Number("Left").value_or(0) * kTwipsPerPoint;
        control.top = read.Number("Top").value_or(0) * kTwipsPerPoint;
        control.width = width.value_or(0) * kTwipsPerPoint;
        control.height = height.value_or(0) * kTwipsPerPoint;
        if (IsClass(data.className, "MSForms.Frame")) control.border = 2 * kTwipsPerPoint;
        if (control.noPlace == vb::NoPlace::kPage && container >= 0) {
            const LayoutControl& pages = layout.controls[static_cast<std::size_t>(container)];
            const double insideWidth = read.Number("InsideWidth").value_or(0) * kTwipsPerPoint;
            const double insideHeight = read.Number("InsideHeight").value_or(0) * kTwipsPerPoint;
            const double side = std::max(0.0, (pages.width - insideWidth) / 2);
            control.left = side;
            control.top = std::max(0.0, pages.height - insideHeight - side);
            control.width = insideWidth;
            control.height = insideHeight;
        }
        layout.controls.push_back(std::move(control));
        AddUserFormControls(data.children, static_cast<int>(layout.controls.size() - 1), form, layout);
    }
}

// A UserForm: no ScaleMode, a fixed frame and a caption bar, everything in points.
FormLayout UserFormLayoutOf(const host::memory::ComponentData& form) {
    const Reader read(form.properties, form.name);
    FormLayout layout;
    layout.name = form.name;
    layout.userForm = true;
    const host::PropertyValue* caption = Find(form.properties, "Caption");
    layout.caption = caption ? caption->AsText() : form.name;
    layout.clientWidth = std::max(0.0, read.Number("InsideWidth").value_or(0)) * kTwipsPerPoint;
    layout.clientHeight = std::max(0.0, read.Number("InsideHeight").value_or(0)) * kTwipsPerPoint;
    layout.scale = {kTwipsPerPoint, kTwipsPerPoint, 0, 0, 2};
    layout.borderStyle = 3;
    layout.frame = 3 * kTwipsPerPixel;
    layout.titleBar = 19 * kTwipsPerPixel;
    AddUserFormControls(form.controls, -1, form.name, layout);
    return layout;
}

FormLayout Vb6LayoutOf(const host::memory::ComponentData& form) {
    const Properties& properties = form.properties;
    const Reader read(properties, form.name);
    FormLayout layout;
    layout.name = form.name;
    const host::PropertyValue* caption = Find(properties, "Caption");
    layout.caption = caption ? caption->AsText() : form.name;
    layout.clientWidth = std::max(0.0, read.Number("ClientWidth").value_or(0));
    layout.clientHeight = std::max(0.0, read.Number("ClientHeight").value_or(0));
    layout.scale = read.ScaleOf(layout.clientWidth, layout.clientHeight);

    const int borderStyle = read.Setting("BorderStyle", 2);
    layout.borderStyle = borderStyle;
    const bool toolWindow = borderStyle == 4 || borderStyle == 5;
    const bool titled = borderStyle != 0 && !(layout.caption.empty() && read.IsFalse("ControlBox"));
    layout.frame = borderStyle == 0 ? 0 : (borderStyle == 2 || borderStyle == 5 ? 4 : 3) * kTwipsPerPixel;
    layout.titleBar = titled ? (toolWindow ? 16 : 19) * kTwipsPerPixel : 0;
    const bool mdiChild = read.Number("MDIChild").value_or(0) != 0;
    for (const auto& control : form.controls)
        if (IsClass(control.className, "VB.Menu") && !Reader(control.properties, "").IsFalse("Visible") && !mdiChild &&
            borderStyle != 0)
            layout.menuBar = 19 * kTwipsPerPixel;

    AddControls(form.controls, -1, form.name, layout);
    return layout;
}

}  // namespace

std::optional<std::size_t> FormLayout::Find(std::string_view ref) const {
    if (byRef.empty() && !controls.empty()) {  // a layout made by hand
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (vb::SameNameIgnoringCase(controls[i].ref, ref)) return i;
        return std::nullopt;
    }
    const auto found = byRef.find(vb::FoldCase(ref));
    if (found == byRef.end()) return std::nullopt;
    return found->second;
}

FormLayout LayoutOf(const host::memory::ComponentData& form) {
    FormLayout layout = form.type == host::MSForm ? UserFormLayoutOf(form) : Vb6LayoutOf(form);
    for (std::size_t i = 0; i < layout.controls.size(); ++i) layout.byRef.emplace(vb::FoldCase(layout.controls[i].ref), i);
    return layout;
}

}  // namespace tolvane::preview
