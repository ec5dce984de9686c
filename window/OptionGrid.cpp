#include "window/OptionGrid.h"

#include <algorithm>

#include "vb/Names.h"
#include "window/ModuleInsert.h"

namespace tolvane {
namespace {

// "Option1(3)" -> "Option1"; "" for a control that is no array element.
std::string_view ArrayName(std::string_view controlRef) {
    const std::size_t open = controlRef.find('(');
    return open == std::string_view::npos ? std::string_view() : controlRef.substr(0, open);
}

}  // namespace

void OptionGrid::Fill(std::vector<host::ListedControl> listed) {
    std::vector<ControlRow> rows(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (i < rows_.size() && rows_[i].controlRef == listed[i].controlRef &&
            listed[i].noPlace == vb::NoPlace::kNone)
            rows[i] = rows_[i];
        rows[i].controlRef = listed[i].controlRef;
    }
    listed_ = std::move(listed);
    rows_ = std::move(rows);
    UpdateView();
}

void OptionGrid::Clear() { Fill({}); }

namespace {

// The row's field for the option, const or not.
template <class Row>
auto& Field(Row& r, GridOption option) {
    switch (option) {
    case GridOption::kMoveH: return r.moveH;
    case GridOption::kSizeH: return r.sizeH;
    case GridOption::kScaleH: return r.scaleH;
    case GridOption::kMoveV: return r.moveV;
    case GridOption::kSizeV: return r.sizeV;
    case GridOption::kScaleV: return r.scaleV;
    }
    return r.scaleV;
}

}  // namespace

bool OptionGrid::Option(std::size_t row, GridOption option) const { return IsSet(Field(Row(row), option)); }

bool OptionGrid::AnyGuessed() const {
    return std::any_of(listed_.begin(), listed_.end(), [](const host::ListedControl& c) { return c.guessed; });
}

void OptionGrid::SetHideUnplaceable(bool hide) {
    hideUnplaceable_ = hide;
    UpdateView();
}

void OptionGrid::UpdateView() {
    inView_.clear();
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (!hideUnplaceable_ || Placeable(row)) inView_.push_back(row);
}

void OptionGrid::SetTicked(std::size_t row, bool ticked) {
    if (!Placeable(row)) return;
    rows_.at(row).included = ticked ? 1 : 0;
}

void OptionGrid::SetOption(std::size_t row, GridOption option, bool set) { Field(rows_.at(row), option) = set ? 1 : 0; }

void OptionGrid::ToggleColumn(GridOption option) {
    bool all = true;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (Ticked(row) && !Option(row, option)) all = false;
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (Ticked(row)) SetOption(row, option, !all);
}

void OptionGrid::ToggleAll() {
    const bool all =
        std::all_of(inView_.begin(), inView_.end(), [&](std::size_t row) { return !Placeable(row) || Ticked(row); });
    for (std::size_t row : inView_) SetTicked(row, !all);
}

void OptionGrid::TickArrayAsRow(std::size_t row) {
    const std::string_view name = ArrayName(Row(row).controlRef);
    if (name.empty()) return;
    for (std::size_t other = 0; other < rows_.size(); ++other)
        if (vb::SameNameIgnoringCase(ArrayName(rows_[other].controlRef), name)) SetTicked(other, Ticked(row));
}

CodeOptions OptionGrid::Options(CodeTarget target, CodeStyle style) const {
    CodeOptions options = FormCodeOptions(target, listed_);
    options.style = target == CodeTarget::kUserForm ? CodeStyle::kWorking : style;
    return options;
}

blocks::Record OptionGrid::RecordOf(std::vector<std::string> flags) const {
    blocks::Record record;
    for (const ControlRow& row : rows_)
        if (IsSet(row.included)) record.picks.push_back(row);
    record.flags = std::move(flags);
    return record;
}

void OptionGrid::TickAsRecorded(const blocks::Record& record) {
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        const auto pick = std::find_if(record.picks.begin(), record.picks.end(), [&](const ControlRow& picked) {
            return vb::SameNameIgnoringCase(picked.controlRef, rows_[row].controlRef);
        });
        ControlRow& target = rows_[row];
        const std::string ref = target.controlRef;
        target = pick == record.picks.end() || !Placeable(row) ? ControlRow{} : *pick;
        target.controlRef = ref;
        target.included = pick != record.picks.end() && Placeable(row);
    }
}

}  // namespace tolvane
