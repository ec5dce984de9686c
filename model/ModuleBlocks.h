// Our code in a form's code module: the declarations, the Load lines and the Resize lines,
// each between two marker comments, put in, written again and taken out without changing
// any other line. Pure functions over the module's lines: the code section of a .frm file
// (its raw bytes, in the file's code page) or the lines of the IDE's CodeModule. The texts
// given must be in the same encoding as the lines.
//
// In the module:
//
//   ' Tolvane: Command1=LM,UM txtNotes=LR,UR --robust      <- the picks and the code variant
//   Dim ...                                                   (declarations section, last)
//   ' Tolvane end
//   ...
//   Private Sub Form_Load()
//   ' Tolvane load                                         <- "' Tolvane load (Sub added)" in a
//   iFormWidth = ...                                          procedure we wrote ourselves
//   ' Tolvane end
//   ...the procedure's own lines...
//   End Sub
//
// and the same for Resize ("' Tolvane resize"). A record longer than a line of VB code may be
// (1023 characters) goes on as further "' Tolvane:" lines.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ResizeCode.h"
#include "model/ResizeModel.h"
#include "vb/ModuleScan.h"

namespace tolvane::blocks {

// The statement scanner is VB's (vb/ModuleScan.h), shared with the in-memory host's CodeModule.
using vb::FindExitSub;
using vb::LineKind;
using vb::LogicalLine;
using vb::LogicalLines;
using vb::ModuleError;
using vb::Outline;
using vb::OutlineOf;
using vb::Procedure;
using vb::TrimBlanks;

// The event procedures that receive the Load and Resize lines: a VB6 form's by default, a
// UserForm's (UserForm_Initialize, UserForm_Resize) from EventProceduresOf.
using tolvane::EventProcedures;

// What the first marker records, so that the same code can be written again.
struct Record {
    std::vector<ControlRow> picks;   // the included rows, in grid order, references as in the module
    std::vector<std::string> flags;  // the code variant as quenlow's flags ("--robust", "--relative=container")

    bool operator==(const Record& other) const = default;
};

// The first marker's lines for `record`.
std::vector<std::string> RecordLines(const Record& record);

// A line of the first marker ("' Tolvane:" and the words, blanks around it ignored).
bool IsRecordLine(std::string_view line);

// The record those lines hold (blanks around them ignored). Throws std::invalid_argument,
// saying what is wrong, for a word that is neither a flag ("--...") nor REF=OPTS, an unknown
// option, or a control picked twice (ASCII letter case ignored).
Record ParsePicks(std::span<const std::string> markerLines);

// The three texts to put in, each a sequence of lines ending in CR LF (or LF).
struct BlockTexts {
    std::string declarations, load, resize;
};

// How an event procedure stands: missing, holding our block and nothing else but blank lines,
// or holding lines of its own (which code at its start must not skip with an Exit Sub).
enum class ProcedureUse { Absent, OursAlone, Shared };

struct Survey {
    bool marked = false;              // the module holds at least one of our blocks
    std::optional<Record> recorded;   // the first marker's record, when there is one
    std::size_t recordLine = 0;       // its line (0-based)
    ProcedureUse load = ProcedureUse::Absent;
    ProcedureUse resize = ProcedureUse::Absent;
};

// Each function takes the number of the module's first line, for the lines its ModuleErrors
// name (see ModuleScan.h).
//
// Reads the module and our blocks in it. Throws ModuleError (naming the line) for damaged
// markers (a begin without an end, a begin inside a block, an end without a begin, a block of
// ours twice or in the wrong place), an unreadable record, an event procedure defined twice
// or not as a Sub, or a procedure without its End.
Survey SurveyModule(std::span<const std::string> lines, const EventProcedures& events = {}, std::size_t firstLine = 1);

// Lines first..first+removed-1 replaced by `inserted`. An edit's changes are in ascending
// order and do not overlap; the IDE applies them last first, so that line numbers hold.
struct Change {
    std::size_t first = 0;
    std::size_t removed = 0;
    std::vector<std::string> inserted;

    bool operator==(const Change& other) const = default;
};
using Edit = std::vector<Change>;

// Puts our three blocks in, or writes them again where they are. A missing event procedure
// is written at the end of the module, after a blank line. Throws as SurveyModule does, and
// a ModuleError for an event procedure on one line, or for a Load or Resize text holding an
// Exit Sub when its procedure has lines of its own (it would skip them: ask the generator for
// the text whose guard is an If block around the lines).
Edit InsertBlocks(std::span<const std::string> lines, const EventProcedures& events, const Record& record,
                  const BlockTexts& texts, std::size_t firstLine = 1);

// Takes our blocks out, and a procedure we wrote that holds nothing else, with the blank
// line before it. Throws as SurveyModule does, except for an unreadable record: the block
// holding it goes too.
Edit RemoveBlocks(std::span<const std::string> lines, const EventProcedures& events = {}, std::size_t firstLine = 1);

std::vector<std::string> ApplyEdit(std::span<const std::string> lines, const Edit& edit);

}  // namespace tolvane::blocks
