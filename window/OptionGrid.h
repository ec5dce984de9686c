// The option grid's rows, every control of the picked form, apart from the few windows that
// show them: what each row names, whether it can be placed, its tick and its six options,
// and which rows are in view (all of them, or only those that can be placed). The window
// binds a fixed set of row windows to a stretch of these rows; generating reads them whole.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "host/Listing.h"
#include "model/ModuleBlocks.h"
#include "model/ResizeCode.h"

namespace tolvane {

// The six options of a row, in column order: Left/Right move, resize, scale, then Up/Down.
enum class GridOption : std::uint8_t { kMoveH, kSizeH, kScaleH, kMoveV, kSizeV, kScaleV };
inline constexpr std::size_t kGridOptions = 6;

class OptionGrid {
public:
    // The rows of a new listing. A row that names the same control as the row at its position
    // before keeps its tick and options; any other row, and any that cannot be placed, starts
    // clear.
    void Fill(std::vector<host::ListedControl> listed);
    void Clear();

    std::size_t Count() const { return rows_.size(); }
    const host::ListedControl& Listed(std::size_t row) const { return listed_.at(row); }
    const ControlRow& Row(std::size_t row) const { return rows_.at(row); }
    std::span<const ControlRow> Rows() const { return rows_; }
    bool Placeable(std::size_t row) const { return Listed(row).noPlace == vb::NoPlace::kNone; }
    bool Ticked(std::size_t row) const { return IsSet(Row(row).included); }
    bool Option(std::size_t row, GridOption option) const;
    // Some row's class, Align or ScaleMode could not be read and was assumed.
    bool AnyGuessed() const;

    // The rows in view, in listing order: all, or without those that cannot be placed.
    void SetHideUnplaceable(bool hide);
    bool HidesUnplaceable() const { return hideUnplaceable_; }
    const std::vector<std::size_t>& InView() const { return inView_; }

    // A row that cannot be placed is never ticked.
    void SetTicked(std::size_t row, bool ticked);
    void SetOption(std::size_t row, GridOption option, bool set);
    // The option on every ticked row; when all of them have it already, off on all of them.
    void ToggleColumn(GridOption option);
    // Every placeable row in view ticked; when all of them are already, every one unticked.
    void ToggleAll();
    // Every placeable element of the row's control array ticked as the row is.
    void TickArrayAsRow(std::size_t row);

    // What GenerateResizeCode needs of the rows' places, for that kind of form in that style.
    CodeOptions Options(CodeTarget target, CodeStyle style) const;

    // The ticked rows and the flags of the code's style, as a form's first marker records them.
    blocks::Record RecordOf(std::vector<std::string> flags) const;
    // The rows a record picks ticked with its options, every other row clear.
    void TickAsRecorded(const blocks::Record& record);

private:
    void UpdateView();

    std::vector<host::ListedControl> listed_;
    std::vector<ControlRow> rows_;
    std::vector<std::size_t> inView_;
    bool hideUnplaceable_ = false;
};

}  // namespace tolvane
