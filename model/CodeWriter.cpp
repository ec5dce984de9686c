#include "model/CodeWriter.h"

#include <set>
#include <string>
#include <vector>

#include "model/UserFormWindow.h"

namespace tolvane {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kIndent = "    ";

struct Axis {
    std::string_view move, size;    // the control's properties: Left, Width
    std::string_view outer, inner;  // a VB6 form's or frame's size, a picture box's inside: Width, ScaleWidth
    std::string_view inside;        // a UserForm's, Frame's or Page's inside: InsideWidth
    std::string_view convert;       // the method that converts a size between units: ScaleX
    bool parks;                     // tab controls park hidden pages' controls along this axis
};

constexpr Axis kHorizontal{"Left", "Width", "Width", "ScaleWidth", "InsideWidth", "ScaleX", true};
constexpr Axis kVertical{"Top", "Height", "Height", "ScaleHeight", "InsideHeight", "ScaleY", false};

const std::string kParkedOffset = std::to_string(kTabParkedOffset);
const std::string kParkedHalf = std::to_string(kTabParkedOffset / 2);
const std::string kParkedBelow = std::to_string(-kTabParkedOffset / 2);

// The words of one kind of form in one style of text.
struct Dialect {
    std::string_view type;                  // " As Single"
    std::vector<std::string_view> header;   // the form's properties recorded at Load
    std::string_view flagDeclaration;       // a "sizes recorded" flag, or ""
    std::string_view flagSet;               // the Load line that sets it
    std::string_view guard;                 // the first line of the block If around the Resize lines, or ""
    bool working;                           // clamps, tab pages, units
    bool userForm;                          // everything in points, measured by InsideWidth
};

const Dialect kPlainForm{" as integer", {"Width", "Height", "ScaleWidth", "ScaleHeight"}, "", "", "", false, false};
const Dialect kWorkingForm{" As Single", {"Width", "Height", "ScaleWidth", "ScaleHeight"}, "", "",
                           "If Me.WindowState <> vbMinimized And iFormScaleWidth <> 0 And iFormScaleHeight <> 0 Then",
                           true, false};
const Dialect kUserForm{" As Single", {"InsideWidth", "InsideHeight"}, "Dim bSizesRecorded As Boolean",
                        "bSizesRecorded = True", "If bSizesRecorded And Me.InsideWidth > 0 And Me.InsideHeight > 0 Then",
                        true, true};

const Dialect& DialectOf(const CodeOptions& options) {
    if (options.target == CodeTarget::kUserForm) return kUserForm;
    return options.style == CodeStyle::kPlain ? kPlainForm : kWorkingForm;
}

// What a line measures a control's change by: `now - recorded` or, scaled, `now / recorded`.
// When the control's units are not those of `now`, `converter`.ScaleX(change, from, to) turns
// the change into them.
struct Measure {
    std::string now, recorded;
    std::string converter, from, to;
};

Measure Plain(std::string now, std::string recorded) { return {std::move(now), std::move(recorded), "", "", ""}; }

class Writer {
public:
    Writer(std::string_view form, std::span<const ControlRow> rows, const CodeOptions& options)
        : rows_(rows),
          options_(options),
          dialect_(DialectOf(options)),
          form_(dialect_.working ? "Me" : std::string(form)),
          stems_(CodeStems(rows, options)) {}

    GeneratedCode Write() {
        if (options_.resizable && dialect_.userForm) code_.declarations += UserFormWindowDeclarations();
        if (!dialect_.flagDeclaration.empty()) code_.declarations += std::string(dialect_.flagDeclaration) + "\r\n";
        for (const std::string_view property : dialect_.header) {
            code_.declarations += "Dim iForm" + std::string(property) + std::string(dialect_.type) + "\r\n";
            code_.onLoad += "iForm" + std::string(property) + " = " + form_ + "." + std::string(property) + "\r\n";
        }
        code_.declarations += kCrLf;
        code_.onLoad += kCrLf;
        for (std::size_t row = 0; row < rows_.size(); ++row)
            if (IsSet(rows_[row].included)) RecordRow(row);
        if (options_.resizable && dialect_.userForm) code_.onLoad += UserFormWindowLoadLines();
        if (!dialect_.flagSet.empty()) code_.onLoad += std::string(dialect_.flagSet) + "\r\n";
        std::vector<bool> written(rows_.size());
        for (std::size_t row = 0; row < rows_.size(); ++row)
            if (IsSet(rows_[row].included)) WriteResizeLines(row, written);
        if (!dialect_.guard.empty() && !resize_.empty())
            code_.onResize = std::string(dialect_.guard) + "\r\n" + resize_ + "End If\r\n";
        else
            code_.onResize = std::move(resize_);
        return std::move(code_);
    }

private:
    int ContainerOf(std::size_t row) const { return options_.places.empty() ? -1 : options_.places[row].container; }
    const RowPlace& PlaceOf(int row) const { return options_.places[static_cast<std::size_t>(row)]; }
    const std::string& RefOf(int row) const { return rows_[static_cast<std::size_t>(row)].controlRef; }
    // How code names a container: a page of a multi-page has a reference of its own.
    const std::string& CodeRefOf(int row) const {
        return options_.places.empty() || PlaceOf(row).reference.empty() ? RefOf(row) : PlaceOf(row).reference;
    }
    // The control follows its container rather than the form.
    bool FollowsContainer(std::size_t row) const { return options_.followContainers && ContainerOf(row) >= 0; }
    bool OnTabPage(std::size_t row) const {
        return dialect_.working && ContainerOf(row) >= 0 && PlaceOf(ContainerOf(row)).kind == ContainerKind::kTabs;
    }
    // The units in which a container (or the form, -1) places its contents.
    int UnitsInside(int container) const {
        if (container < 0) return options_.formScaleMode;
        const RowPlace& place = PlaceOf(container);
        return place.kind == ContainerKind::kPictureBox ? place.scaleMode : vb::kTwips;
    }
    std::string HolderOf(int container) const { return container < 0 ? "Me" : CodeRefOf(container); }
    // The property a container's inside is measured by.
    std::string_view ContainerMeasure(int container, const Axis& axis) const {
        if (dialect_.userForm) return axis.inside;
        return PlaceOf(container).kind == ContainerKind::kPictureBox ? axis.inner : axis.outer;
    }

    std::string Variable(std::size_t row, std::string_view property) const {
        return "i" + stems_[row] + "_" + std::string(property);
    }

    void RecordRow(std::size_t row) {
        // A container listed after its contents, or not picked, is recorded before them.
        const int container = ContainerOf(row);
        if (container >= 0 && (!IsSet(rows_[container].included) || static_cast<std::size_t>(container) > row))
            RecordContainer(container);
        const ControlRow& r = rows_[row];
        const struct {
            CheckState state;
            std::string_view property;
        } recorded[] = {{r.moveH, "Left"}, {r.moveV, "Top"}, {r.sizeH, "Width"}, {r.sizeV, "Height"}};
        for (const auto& item : recorded)
            if (IsSet(item.state)) Record(row, item.property);
        RecordContainer(static_cast<int>(row));
    }

    // "Dim v As T" and "v = Control.Property", once per variable. A control on a hidden tab
    // page is recorded where it sits when its page is shown.
    void Record(std::size_t row, std::string_view property) {
        const std::string variable = Variable(row, property);
        if (!declared_.insert(vb::FoldCase(variable)).second) return;
        code_.declarations += "Dim " + variable + std::string(dialect_.type) + "\r\n";
        code_.onLoad += variable + " = " + CodeRefOf(static_cast<int>(row)) + "." + std::string(property) + "\r\n";
        if (OnTabPage(row) && property == kHorizontal.move)
            code_.onLoad += "If " + variable + " < " + kParkedBelow + " Then " + variable + " = " + variable + " + " +
                            kParkedOffset + "\r\n";
    }

    static bool Moves(const ControlRow& row, const Axis& axis) {
        return &axis == &kHorizontal ? IsSet(row.moveH) || IsSet(row.sizeH) : IsSet(row.moveV) || IsSet(row.sizeV);
    }

    // The inside of `container` on each axis its included contents follow.
    void RecordContainer(int container) {
        if (!options_.followContainers || options_.places.empty()) return;
        for (const Axis* axis : {&kHorizontal, &kVertical}) {
            bool followed = false;
            for (std::size_t row = 0; row < rows_.size() && !followed; ++row)
                followed = ContainerOf(row) == container && IsSet(rows_[row].included) && Moves(rows_[row], *axis);
            if (followed) Record(static_cast<std::size_t>(container), ContainerMeasure(container, *axis));
        }
    }

    // A container's lines come before its contents', so they read its new size.
    void WriteResizeLines(std::size_t row, std::vector<bool>& written) {
        if (written[row]) return;
        written[row] = true;
        const int container = ContainerOf(row);
        if (FollowsContainer(row) && IsSet(rows_[container].included)) WriteResizeLines(container, written);
        const ControlRow& r = rows_[row];
        if (IsSet(r.moveH)) WriteLine(row, kHorizontal, kHorizontal.move, IsSet(r.scaleH));
        if (IsSet(r.sizeH)) WriteLine(row, kHorizontal, kHorizontal.size, IsSet(r.scaleH));
        if (IsSet(r.moveV)) WriteLine(row, kVertical, kVertical.move, IsSet(r.scaleV));
        if (IsSet(r.sizeV)) WriteLine(row, kVertical, kVertical.size, IsSet(r.scaleV));
    }

    // The inside of the container a row follows.
    Measure FollowedContainer(int container, const Axis& axis, bool scaled) const {
        const std::string_view property = ContainerMeasure(container, axis);
        Measure measure = Plain(CodeRefOf(container) + "." + std::string(property), Variable(container, property));
        // A frame's contents are in twips; its Width is in the units of what holds it.
        const int holder = PlaceOf(container).container;
        if (dialect_.working && !dialect_.userForm && !scaled && property == axis.outer &&
            UnitsInside(holder) != vb::kTwips) {
            measure.converter = HolderOf(holder);
            measure.from = vb::ScaleModeConstant(UnitsInside(holder));
            measure.to = "vbTwips";
        }
        return measure;
    }

    Measure MeasureOf(std::size_t row, const Axis& axis, bool scaled) const {
        const int container = ContainerOf(row);
        if (FollowsContainer(row)) return FollowedContainer(container, axis, scaled);
        if (dialect_.userForm) return Plain("Me." + std::string(axis.inside), "iForm" + std::string(axis.inside));
        if (!dialect_.working) return Plain(form_ + "." + std::string(axis.outer), "iForm" + std::string(axis.outer));
        // The form's inside, in its own units: right for its own controls, and a proportion for any.
        if (scaled || container < 0) return Plain("Me." + std::string(axis.inner), "iForm" + std::string(axis.inner));
        // Inside a container the units are twips, or a picture box's own.
        Measure measure = Plain("Me." + std::string(axis.outer), "iForm" + std::string(axis.outer));
        if (UnitsInside(container) != vb::kTwips) {
            measure.converter = RefOf(container);
            measure.from = "vbTwips";
            measure.to = vb::ScaleModeConstant(UnitsInside(container));
        }
        return measure;
    }

    // R.P = B - (b - iS_P), or R.P = iS_P + H.ScaleX(B - b, from, to) across units, or, scaled,
    // R.P = B * (iS_P / b), where B is the measure now and b the same recorded at Load.
    void WriteLine(std::size_t row, const Axis& axis, std::string_view property, bool scaled) {
        const Measure measure = MeasureOf(row, axis, scaled);
        const std::string variable = Variable(row, property);
        const std::string target = rows_[row].controlRef + "." + std::string(property);
        std::string value;
        if (scaled)
            value = measure.now + " * (" + variable + " / " + measure.recorded + ")";
        else if (measure.converter.empty())
            value = measure.now + " - (" + measure.recorded + " - " + variable + ")";
        else
            value = variable + " + " + measure.converter + "." + std::string(axis.convert) + "(" + measure.now + " - " +
                    measure.recorded + ", " + measure.from + ", " + measure.to + ")";

        std::string line = target + " = " + value;
        // On a hidden page the control sits 75,000 twips left of where it is when the page shows.
        if (OnTabPage(row) && axis.parks && property == axis.move)
            line = "If " + target + " < " + variable + " - " + kParkedHalf + " Then " + target + " = " + value + " - " +
                   kParkedOffset + " Else " + line;
        else if (dialect_.working && !scaled && property == axis.size)
            line = "If " + value + " > 0 Then " + line + " Else " + target + " = 0";
        const std::string indent = dialect_.guard.empty() ? std::string() : std::string(kIndent);
        // A container recorded with no size gives no proportion.
        if (dialect_.working && scaled && FollowsContainer(row)) {
            const std::string guard = "If " + measure.recorded + " <> 0 Then";
            if (line.starts_with("If ")) {
                resize_ += indent + guard + "\r\n" + indent + std::string(kIndent) + line + "\r\n" + indent + "End If\r\n";
                return;
            }
            line = guard + " " + line;
        }
        resize_ += indent + line + "\r\n";
    }

    std::span<const ControlRow> rows_;
    const CodeOptions& options_;
    const Dialect& dialect_;
    std::string form_;
    std::vector<std::string> stems_;
    std::set<std::string> declared_;  // folded variable names
    GeneratedCode code_;
    std::string resize_;  // the Resize lines, before the guard goes round them
};

}  // namespace

GeneratedCode WriteCode(std::string_view formName, std::span<const ControlRow> rows, const CodeOptions& options) {
    return Writer(formName, rows, options).Write();
}

}  // namespace tolvane
