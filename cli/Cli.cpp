// quenlow: the help, the version, and the one place where every failure becomes an exit
// status and one line on standard error. Argument parsing is in Arguments.cpp, the
// commands in Commands.cpp.
#include "cli/Cli.h"

#include <algorithm>
#include <exception>
#include <string_view>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "tolvane/Version.h"
#include "vb/Errors.h"
#include "vb/Names.h"

namespace tolvane::cli {
namespace {

constexpr std::string_view kVersion = "quenlow " TOLVANE_VERSION " (Tolvane " TOLVANE_VERSION_SHORT ")";

// The commands: name, what runs it, its usage lines and its paragraph of --help.
struct Command {
    std::string_view name;
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    std::string_view usage;
    std::string_view help;
};

const Command kCommands[] = {
    {"forms", RunForms,
     R"(  quenlow forms PROJECT [--codepage N]
)",
     R"(  Lists the forms the add-in's form selector offers: the project's standard
  forms and UserForms (not MDI forms, user controls or modules), in project
  order.

)"},
    {"controls", RunControls,
     R"(  quenlow controls PROJECT FORM [--json] [--codepage N]
)",
     R"(  Lists the controls of the form FORM as the add-in's grid lists them: the
  form's controls last first, each container followed by its contents, two
  spaces of indent per level, every control and nothing else.
  --json writes one JSON array instead, one object per control in the same
  order: "name" (its reference), "class", "container" (the reference of the
  control it sits in, "" on the form) and "left", "top", "width", "height" in
  the file's units (twips for a VB6 form, points for a UserForm; null where
  the control has none).

)"},
    {"generate", RunGenerate,
     R"(  quenlow generate [PROJECT [--codepage N]] --form NAME [--pick REF[=OPTS]]... [--block BLOCK]
                   [--plain] [--relative container|form] [--target form|userform] [--resizable]
)",
     R"(  Builds the three blocks of code for the form NAME.
  Without PROJECT, each --pick fills the next row, ticked, with the control
  reference REF: a control name such as Command1, or an element of a control
  array such as Option1(3). --form "" is allowed there and leaves the form
  reference out, as the add-in does with no form picked.
  With PROJECT, NAME must be one of its forms; the rows are that form's
  controls as the add-in lists them, and each --pick ticks the row whose
  control is REF (letter case ignored). Any control of the form can be picked
  but one that has no place at run time: a menu, line or timer, a control that
  is invisible at run time (a common dialog, an image list, any control whose
  file stores no Width and Height), an aligned control (VB places it) and a
  UserForm's page (it fills its MultiPage).
  Picking one control twice (letter case ignored) is an error.
  OPTS is a comma-separated list, in any order and any letter case, of
      LM  Left/Right: move with the form's right edge
      LR  Left/Right: resize the width with the form
      LS  Left/Right: scale (proportional instead of by offset)
      UM  Up/Down: move with the form's bottom edge
      UR  Up/Down: resize the height with the form
      US  Up/Down: scale
  REF alone, or REF=, ticks the row with no option.

  --block declarations|load|resize
      Writes only that block, byte for byte (CR LF line ends, nothing added),
      ready to paste or to pipe into a file. Without --block, all three blocks
      are written, each under the caption the add-in shows above it.

  The code raises no run-time error in use and names the form Me. Its
  variables are Single (no overflow beyond 32,767 twips); the Resize lines sit
  in a block If that does nothing while the form is minimised or before the
  Load lines have run (never an Exit Sub, so they may go before lines of your
  own); a width or height kept by offset stops at 0. Each control moves in its
  container's units: a control on the form by the form's ScaleWidth and
  ScaleHeight, one in a frame by the form's Width and Height (twips), one in a
  picture box in other units by that change converted with ScaleX/ScaleY. A
  control on a hidden page of an SSTab stays on its page. At the design size
  nothing moves.

  --plain
      The original add-in's text instead, byte for byte: Integer variables,
      the form by name, its outer Width and Height in every line.
  --robust
      Accepted for scripts written before the code above was the default;
      changes nothing.

  --target form|userform
      Without PROJECT, the kind of form the code is for (form, a VB6 form, by
      default). With PROJECT it is the form's own kind: a UserForm gets code
      for UserForm_Initialize and UserForm_Resize that measures its inside
      (InsideWidth, InsideHeight) in points and waits for a "sizes recorded"
      flag and an inside larger than 0.
  --resizable
      For a UserForm: lines that let the user resize its window (WS_THICKFRAME),
      with declarations for 32-bit and 64-bit Office alike.

  --relative container|form
      With PROJECT, container makes a control inside a frame, a picture box or
      any control that holds others follow its container's inner size instead
      of the form's: a picture box's ScaleWidth and ScaleHeight (the units its
      contents are placed in), any other container's Width and Height (a frame
      places its contents in twips, converted from the form's units where they
      differ); a UserForm's frame or page by its InsideWidth and InsideHeight.
      Containers are handled before their contents, so a frame that resizes
      carries them along. A container that is not picked keeps its size, so the
      controls in it keep their places; a note on standard error names it.
      form (the default) is the add-in's way.

)"},
    {"preview", RunPreview,
     R"(  quenlow preview PROJECT --form NAME [--pick REF[=OPTS]]... [--plain] [--relative container|form]
                  [--resizable] [--size WIDTHxHEIGHT|minimized] --out FILE.svg [--codepage N]
)",
     R"(  Draws form NAME of PROJECT as an SVG picture, at its design size and, beside
  it, at --size: the window's outer Width x Height in twips (points for a
  UserForm; default 150% of the design size), or minimized. Each control is a
  labelled rectangle, the picked ones blue. The code generate writes for the
  same arguments runs on the form with Visual Basic's arithmetic, Form_Load
  and Form_Resize at the design size, then Form_Resize at the new size; a
  control whose line would raise a run-time error is red with the error's
  number (380 for a negative width or height, 6 for an overflow). The window's
  frame follows Windows' classic look at 96 DPI (15 twips a pixel); controls
  show only inside it, aligned controls where VB puts them, and every tab
  control shows its hidden pages before the resize. FILE.svg is written whole
  or not at all, through a link to its target, keeping its permissions; a line
  on standard output sums it up.

)"},
    {"apply", RunApply,
     R"(  quenlow apply PROJECT --form NAME [--pick REF[=OPTS]]... [--plain]
                [--relative container|form] [--dry-run] [--codepage N]
  quenlow apply PROJECT (--form NAME | --all) [--remove] [--dry-run] [--codepage N]
)",
     R"(  Writes the code generate writes for the same arguments into the form's
  file, in three places, each between two comments that mark it as Tolvane's:
  the declarations at the end of the declarations section, the Load lines at
  the start of Form_Load, the Resize lines at the start of Form_Resize. A
  procedure the form has not is added at its end, and its marker says so:
  ' Tolvane load (Sub added). The first marker records the picks and the code
  variant:
      ' Tolvane: txtNotes=LR,UR Command1=LM,UM --relative=container
  Nothing outside the markers changes. Written again, the marked lines are
  replaced: applying twice is applying once.
  Without --pick, the recorded picks are written again with the recorded
  variant (after the form changed, or with a new quenlow); --plain, --robust
  and --relative go with --pick.
  --remove takes the code out, with a procedure it added that holds nothing
  else: the file is as it was before.
  --all does it for every form of the project that holds Tolvane code; each
  form is prepared and each file checked before any is written.
  --dry-run prints what would change as a unified diff and writes nothing.
  The file keeps its code page, its line ends and every other byte, and is
  replaced whole or not at all: a read-only file (as source control keeps a
  file not checked out), one changed since it was read, damaged markers (named
  with their line) or a full disk leave it as it was. Our Resize lines sit in a
  block If, so they never skip lines of Form_Resize's own that follow them.
  A line on standard output says what was done to each file.

)"},
    {"picks", RunPicks,
     R"(  quenlow picks PROJECT --form NAME [--codepage N]
)",
     R"(  Prints the picks recorded in the form's file, one REF=OPTS a line (as
  --pick takes them), or nothing.

)"},
};

constexpr std::string_view kHelpIntro = R"(quenlow - writes the Visual Basic 6 code that keeps a form's controls in place
or in proportion when the form is resized (the same text as the Quenlow add-in).

)";

constexpr std::string_view kHelpProject = R"(PROJECT is a Visual Basic 6 project file (.vbp) with its designer files, a
lone form file (.frm: a VB6 form, or an Office UserForm exported with its .frx),
a folder of exported form files, or an Office document whose VBA project holds
UserForms (.xlsm, .xlam, .xls, .docm, .dotm, .doc, .pptm, ...; only read).
The project opens as the IDE opens it: a file of the
project that is missing or cannot be read is reported as a warning on standard
error ("FILE:LINE: warning: what") and the project is read without it; only
the form the command needs must be readable. Paths in the .vbp are followed as
Windows follows them (\ or /, letter case ignored when the exact name is not
there); a path on a drive or network share is followed only on Windows.

Each form file is read in the code page its fonts declare (a font's Charset:
128 Japanese 932, 134 Simplified Chinese 936, 129 Korean 949, 136 Traditional
Chinese 950, 238 Central European 1250, 204 Cyrillic 1251, 161 Greek 1253,
162 Turkish 1254, 177 Hebrew 1255, 178 Arabic 1256, 186 Baltic 1257,
163 Vietnamese 1258, 222 Thai 874); a file that declares none, and the .vbp's
own paths and names, in the project's code page (the first its files declare),
else in 1252 (Western). --codepage N reads every file in code page N instead.
A file that is not what Visual Basic writes is refused with its name, the line
and what is wrong; nothing is taken from it.

Names: FORM, --form NAME and the names in --pick REF are Visual Basic
identifiers: a letter, then letters, digits or _, at most 255 characters
(letters of every script count; in code pages 932, 936, 949 and 950 every
double-byte character does). With PROJECT they only name a form or control of
it, whose own spelling goes into the code: there every character from U+0080
up counts as a letter. A picked control's variables are named after it
(i + name + _Height), so its reference may have at most 242 characters.

)";

constexpr std::string_view kHelpEnd = R"(Exit status: 0 done (warnings included); 1 the project file or the form the
command needs could not be read, a form or control named is not in it or
cannot be picked, or the picture or the form's file could not be written
(one line on standard error: "quenlow: FILE:LINE: what");
2 the command line is wrong (one line on standard error, nothing on standard
output).

Output is UTF-8 text. On Windows, what goes to a console window is written as
Unicode (UTF-16), so any name shows right; redirected to a file or a pipe it
is UTF-8 bytes, as on Linux.

Examples:
  quenlow forms examples/Example.vbp
  quenlow controls examples/Example.vbp Form1
  quenlow generate examples/Example.vbp --form Form1 --pick Command1=LM
  quenlow generate examples/Example.vbp --form Form1 --pick fraOptions=LR,UR --block resize
  quenlow controls legacy/Kaikei.vbp frmMain --codepage 932
  quenlow generate --form Form1 --pick Command1=LM
  quenlow generate --form frmMain --pick fraOptions=LR,UR --pick Option1(0)=lm,ls --block resize
  quenlow generate --form Form1 --pick Text1=LR,UM,US --block declarations > decl.txt
  quenlow generate examples/Example.vbp --form Form1 --pick Command1=LM --plain
  quenlow preview examples/Example.vbp --form Form1 --pick fraOptions=LR,UR
      --pick chkBold=LM --relative container --size minimized --out min.svg
  quenlow apply legacy/Billing.vbp --form frmMain --pick txtNotes=LR,UR --dry-run
  quenlow apply legacy/Billing.vbp --all
  quenlow picks legacy/Billing.vbp --form frmMain
)";

// --help, made from the table: the usage of every command, then each command's paragraph.
std::string Help() {
    std::string help(kHelpIntro);
    help += "Usage:\n";
    for (const Command& command : kCommands) help += command.usage;
    help += "  quenlow --help | --version\n\n";
    help += kHelpProject;
    for (const Command& command : kCommands) help.append(command.name).append("\n").append(command.help);
    return help.append(kHelpEnd);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty()) throw UsageError("no command (try quenlow --help)");
        const std::string& command = args.front();
        const bool wantsHelp = std::find(args.begin(), args.end(), "--help") != args.end();
        if (wantsHelp || command == "-h" || command == "help") {
            out << Help();
            return kExitOk;
        }
        if (command == "--version") {
            out << kVersion << "\n";
            return kExitOk;
        }
        for (const Command& row : kCommands)
            if (command == row.name) return row.run(args, out, err);
        throw UsageError(Quoted(command) + ": unknown command (try quenlow --help)");
    } catch (const UsageError& error) {
        err << "quenlow: " << vb::Printable(error.what()) << "\n";
        return kExitUsage;
    } catch (const host::files::FileError& error) {
        err << "quenlow: " << Describe(error) << "\n";
        return kExitFailure;
    } catch (...) {
        err << "quenlow: " << vb::Printable(vb::DescribeCaught()) << "\n";
        return kExitFailure;
    }
}

}  // namespace tolvane::cli
