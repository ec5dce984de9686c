// The words of a pick, "REF=OPTS": the vocabulary of quenlow's --pick and of the picks a
// form's marker records, written once for both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/ResizeModel.h"

namespace tolvane {

// The codes of a pick's options and the box each one ticks, in the order they are written.
struct PickOption {
    std::string_view code;
    CheckState ControlRow::*box;
};
inline constexpr PickOption kPickOptions[] = {{"LM", &ControlRow::moveH}, {"LR", &ControlRow::sizeH},
                                              {"LS", &ControlRow::scaleH}, {"UM", &ControlRow::moveV},
                                              {"UR", &ControlRow::sizeV},  {"US", &ControlRow::scaleV}};

// Ticks in `row` the boxes that `options` names: codes separated by commas, in any order and
// letter case. Returns the first option that is no code ("" for an empty one), or nothing.
std::optional<std::string> TickOptions(std::string_view options, ControlRow& row);

// "Command1=LM,UM": the reference and the row's ticked options in kPickOptions' order;
// "Text1=" for a row with none.
std::string FormatPick(const ControlRow& row);

}  // namespace tolvane
