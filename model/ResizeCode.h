// The resize code generator: turns a ResizeModel into the three blocks of Visual Basic
// text the user pastes into a form (declarations, Load event, Resize event).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ResizeModel.h"
#include "vb/Names.h"

namespace tolvane {

struct GeneratedCode {
    std::string declarations;  // the form's declarations section
    std::string onLoad;        // the form's Load event
    std::string onResize;      // the form's Resize event

    bool operator==(const GeneratedCode& other) const = default;
};

// Where each block goes: the captions above the window's three boxes, and above each block
// of the command line's output.
inline constexpr const char* kDeclarationsCaption = "Paste this code in the form's declaration section";
inline constexpr const char* kLoadCaption = "Paste this code in the form's Load event section";
inline constexpr const char* kResizeCaption = "Paste this code in the form's Resize event section";

// The control reference with every "(" and ")" turned into "_": Option1(3) -> Option1_3_.
std::string VariableStem(std::string_view controlRef);

// The longest stem, in characters, whose every variable VB takes: a variable is "i", the stem,
// "_" and a property, ScaleHeight at the longest (a picture box that its contents follow), and
// VB refuses names longer than kMaxIdentifierLength.
inline constexpr std::size_t kMaxStemLength = vb::kMaxIdentifierLength - std::string_view("i_ScaleHeight").size();

// The stem each row's variables use: its VariableStem, except where the stems of two
// included rows are the same name to VB (letter case ignored). Then the later row takes the
// first of "<stem>_2", "<stem>_3", ... that no other row uses, so no variable is declared
// twice. Rows without such a clash keep their plain stem; a row not included gets "".
std::vector<std::string> RowStems(std::span<const ControlRow> rows);

// Pure function of the model; every line ends with "\r\n".
GeneratedCode GenerateResizeCode(const ResizeModel& model);

// The same for any number of rows, in order: the command line is not bound to the grid's 50.
GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows);

}  // namespace tolvane
