#include "model/CodeVariant.h"

#include <set>
#include <stdexcept>
#include <string>

#include "vb/Names.h"

namespace tolvane {
namespace {

struct Axis {
    std::string_view move, size;           // the control's properties: Left, Width
    std::string_view outer, inner;         // a form's or frame's size, a picture box's: Width, ScaleWidth
    std::string_view formVariable;         // iFormWidth
};

constexpr Axis kHorizontal{"Left", "Width", "Width", "ScaleWidth", "iFormWidth"};
constexpr Axis kVertical{"Top", "Height", "Height", "ScaleHeight", "iFormHeight"};

bool Moves(const ControlRow& row, const Axis& axis) {
    return &axis == &kHorizontal ? IsSet(row.moveH) || IsSet(row.sizeH) : IsSet(row.moveV) || IsSet(row.sizeV);
}

class VariantWriter {
public:
    VariantWriter(std::string_view form, std::span<const ControlRow> rows, const CodeVariant& variant)
        : form_(form), rows_(rows), variant_(variant), stems_(VariantStems(rows, variant)) {}

    GeneratedCode Write() {
        const std::string type = variant_.robust ? "Long" : "integer";
        for (const std::string_view name : {"iFormWidth", "iFormHeight", "iFormScaleWidth", "iFormScaleHeight"})
            code_.declarations += "Dim " + std::string(name) + " as " + type + "\r\n";
        code_.declarations += "\r\n";
        for (const std::string_view property : {"Width", "Height", "ScaleWidth", "ScaleHeight"})
            code_.onLoad += "iForm" + std::string(property) + " = " + std::string(form_) + "." + std::string(property) + "\r\n";
        code_.onLoad += "\r\n";

        std::vector<bool> written(rows_.size());
        for (std::size_t row = 0; row < rows_.size(); ++row) {
            if (!IsSet(rows_[row].included)) continue;
            // A container listed after its contents, or not picked, is recorded before them.
            const int container = ContainerOf(row);
            if (container >= 0 && (!IsSet(rows_[container].included) || static_cast<std::size_t>(container) > row))
                RecordContainer(container, type);
            const ControlRow& r = rows_[row];
            const struct {
                CheckState state;
                std::string_view property;
            } recorded[] = {{r.moveH, "Left"}, {r.moveV, "Top"}, {r.sizeH, "Width"}, {r.sizeV, "Height"}};
            for (const auto& item : recorded)
                if (IsSet(item.state)) Record(row, item.property, type);
            RecordContainer(static_cast<int>(row), type);
        }
        for (std::size_t row = 0; row < rows_.size(); ++row)
            if (IsSet(rows_[row].included)) WriteResizeLines(row, written);
        if (variant_.robust && !code_.onResize.empty())
            code_.onResize = "If " + std::string(form_) +
                             ".WindowState = vbMinimized Or iFormWidth = 0 Or iFormHeight = 0 Then Exit Sub\r\n" +
                             code_.onResize;
        return std::move(code_);
    }

private:
    int ContainerOf(std::size_t row) const {
        return variant_.placement.empty() ? -1 : variant_.placement[row].container;
    }

    std::string Variable(std::size_t row, std::string_view property) const {
        return "i" + stems_[row] + "_" + std::string(property);
    }

    // "Dim v as T" and "v = Control.Property", once per variable.
    void Record(std::size_t row, std::string_view property, const std::string& type) {
        const std::string variable = Variable(row, property);
        if (!declared_.insert(vb::FoldCase(variable)).second) return;
        code_.declarations += "Dim " + variable + " as " + type + "\r\n";
        code_.onLoad += variable + " = " + rows_[row].controlRef + "." + std::string(property) + "\r\n";
    }

    // The inner size of `container` on each axis its included contents follow.
    void RecordContainer(int container, const std::string& type) {
        if (variant_.placement.empty()) return;
        for (const Axis* axis : {&kHorizontal, &kVertical}) {
            bool followed = false;
            for (std::size_t row = 0; row < rows_.size() && !followed; ++row)
                followed = ContainerOf(row) == container && IsSet(rows_[row].included) && Moves(rows_[row], *axis);
            if (followed) Record(container, variant_.placement[container].scaled ? axis->inner : axis->outer, type);
        }
    }

    // A container's lines come before its contents', so they read its new size.
    void WriteResizeLines(std::size_t row, std::vector<bool>& written) {
        if (written[row]) return;
        written[row] = true;
        const int container = ContainerOf(row);
        if (container >= 0 && IsSet(rows_[container].included)) WriteResizeLines(container, written);
        const ControlRow& r = rows_[row];
        if (IsSet(r.moveH)) WriteLine(row, kHorizontal, kHorizontal.move, IsSet(r.scaleH));
        if (IsSet(r.sizeH)) WriteLine(row, kHorizontal, kHorizontal.size, IsSet(r.scaleH));
        if (IsSet(r.moveV)) WriteLine(row, kVertical, kVertical.move, IsSet(r.scaleV));
        if (IsSet(r.sizeV)) WriteLine(row, kVertical, kVertical.size, IsSet(r.scaleV));
    }

    // R.P = B - (b - iS_P)   or, scaled,   R.P = B * (iS_P / b), where B is the form's or the
    // container's size now and b the same size recorded at Load.
    void WriteLine(std::size_t row, const Axis& axis, std::string_view property, bool scaled) {
        const int container = ContainerOf(row);
        std::string now, recorded;
        if (container < 0) {
            now = std::string(form_) + "." + std::string(axis.outer);
            recorded = std::string(axis.formVariable);
        } else {
            const std::string_view measure = variant_.placement[container].scaled ? axis.inner : axis.outer;
            now = rows_[container].controlRef + "." + std::string(measure);
            recorded = Variable(container, measure);
        }
        const std::string variable = Variable(row, property);
        const std::string target = rows_[row].controlRef + "." + std::string(property);
        const std::string value = scaled ? now + " * (" + variable + " / " + recorded + ")"
                                         : now + " - (" + recorded + " - " + variable + ")";
        std::string line = target + " = " + value;
        if (variant_.robust && !scaled && property == axis.size)
            line = "If " + value + " > 0 Then " + line + " Else " + target + " = 0";
        else if (variant_.robust && scaled && container >= 0)
            line = "If " + recorded + " <> 0 Then " + line;
        code_.onResize += line + "\r\n";
    }

    std::string_view form_;
    std::span<const ControlRow> rows_;
    const CodeVariant& variant_;
    std::vector<std::string> stems_;
    std::set<std::string> declared_;  // folded variable names
    GeneratedCode code_;
};

}  // namespace

std::vector<std::string> VariantStems(std::span<const ControlRow> rows, const CodeVariant& variant) {
    if (!variant.placement.empty() && variant.placement.size() != rows.size())
        throw std::invalid_argument("one placement per row is needed");
    std::vector<ControlRow> named(rows.begin(), rows.end());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const int container = variant.placement.empty() ? -1 : variant.placement[row].container;
        if (container < -1 || container >= static_cast<int>(rows.size()) || container == static_cast<int>(row))
            throw std::invalid_argument("row " + std::to_string(row) + " has no valid container");
        if (container >= 0 && IsSet(rows[row].included)) named[container].included = 1;
    }
    return RowStems(named);
}

GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows,
                                 const CodeVariant& variant) {
    if (!variant.robust && variant.placement.empty()) return GenerateResizeCode(formName, rows);
    return VariantWriter(formName, rows, variant).Write();
}

}  // namespace tolvane
