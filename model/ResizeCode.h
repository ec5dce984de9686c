// The resize code generator: turns the grid's rows into the three blocks of Visual Basic
// text the user puts into a form (declarations, Load event, Resize event).
//
// Two styles of text:
//   working  the default: code that raises no run-time error in use and keeps every control
//            right in any ScaleMode. It names the form Me (right for every copy of a form),
//            keeps Single variables (the type of Left, Top, Width and Height), does nothing
//            while the form is minimised or before the Load code has run (a block If around
//            its lines, so pasted above the user's own Resize code it never skips it), clamps
//            a width or height by offset at 0, measures each control's change in the units its
//            container places it in, and keeps controls on a tab control's hidden pages there.
//   plain    the add-in's original text, byte for byte: Integer variables, the form by name,
//            the form's outer Width and Height in every line.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ResizeModel.h"
#include "vb/Controls.h"
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

enum class CodeStyle : std::uint8_t { kWorking, kPlain };

// The kind of form the code is for.
//   kVb6Form   Form_Load and Form_Resize, twips and ScaleMode units (both styles).
//   kUserForm  an Office VBA UserForm: UserForm_Initialize and UserForm_Resize; every
//              position and size in points, measured against the inside (InsideWidth,
//              InsideHeight) of the form, a Frame or a Page; a "sizes recorded" flag guards
//              the Resize lines, which do nothing while the inside is 0 or less. Always the
//              working style.
enum class CodeTarget : std::uint8_t { kVb6Form, kUserForm };

// The event procedures the Load and Resize blocks belong in.
struct EventProcedures {
    std::string_view load = "Form_Load";
    std::string_view resize = "Form_Resize";
};
EventProcedures EventProceduresOf(CodeTarget target);

// A tab control (SSTab) keeps the controls of its hidden pages this many twips to the left of
// their place; a Left below minus half of it is taken as such a page's.
inline constexpr int kTabParkedOffset = 75000;

// Where each row's control sits (vb/Controls.h), as the listing reads it.
using vb::ContainerKind;
using vb::ContainerKindOf;
using RowPlace = vb::ControlPlace;

struct CodeOptions {
    CodeStyle style = CodeStyle::kWorking;
    // Each control inside a container follows the container's inside instead of the form; a
    // container comes before its contents in the Resize block, so one that resizes carries
    // them along.
    bool followContainers = false;
    int formScaleMode = vb::kTwips;  // the units of the form's own controls
    // One per row, or empty: every control then sits directly on the form.
    std::vector<RowPlace> places;
    CodeTarget target = CodeTarget::kVb6Form;
    // A UserForm is made resizable by the user: WS_THICKFRAME on its window, set in
    // UserForm_Initialize, with declarations right in 32-bit and 64-bit Office alike.
    bool resizable = false;
};

// The control reference with every "(" and ")" turned into "_": Option1(3) -> Option1_3_.
std::string VariableStem(std::string_view controlRef);

// The longest stem, in characters, whose every variable VB takes: a variable is "i", the stem,
// "_" and a property, ScaleHeight at the longest (a picture box that its contents follow), and
// VB refuses names longer than kMaxIdentifierLength. A UserForm's container is measured by
// InsideHeight, one longer.
inline constexpr std::size_t kMaxStemLength = vb::kMaxIdentifierLength - std::string_view("i_ScaleHeight").size();
std::size_t MaxStemLength(const CodeOptions& options);

// The stem each row's variables use: its VariableStem, except where the stems of two
// included rows are the same name to VB (letter case ignored). Then the later row takes the
// first of "<stem>_2", "<stem>_3", ... that no other row uses, so no variable is declared
// twice. Rows without such a clash keep their plain stem; a row not included gets "".
std::vector<std::string> RowStems(std::span<const ControlRow> rows);

// The stem of each row's variables in the code for these options: RowStems over the
// included rows and the containers they follow ("" for a row that has none). Throws
// std::invalid_argument for places that do not fit the rows.
std::vector<std::string> CodeStems(std::span<const ControlRow> rows, const CodeOptions& options);

// Any number of rows, in order. Every line ends with "\r\n". In the plain style the form is
// named by `formName`; the working style names it Me.
GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows,
                                 const CodeOptions& options);

// The plain text of the grid: the add-in's original Generate Code.
GeneratedCode GenerateResizeCode(const ResizeModel& model);
GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows);

}  // namespace tolvane
