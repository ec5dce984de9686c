#include "preview/Preview.h"

#include <charconv>
#include <cmath>
#include <unordered_set>

#include "preview/Svg.h"
#include "vb/Errors.h"
#include "vb/Names.h"

namespace tolvane::preview {
namespace {

std::string Whole(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::round(value), std::chars_format::fixed);
    return error == std::errc() ? std::string(buffer, end) : "?";
}

// A window's outer size as its code reads it: twips for a VB6 form, points for a UserForm.
std::string OuterSize(const FormLayout& layout, const FormRun& run) {
    const double unit = layout.userForm ? layout.scale.twipsPerUnitX : 1;
    return Whole(run.OuterWidth() / unit) + " x " + Whole(run.OuterHeight() / unit) +
           (layout.userForm ? " points" : " twips");
}

// What the user can do to the window's size.
std::string SizingNote(const FormLayout& layout, bool resizable) {
    if (layout.userForm)
        return resizable ? "UserForm_Initialize makes the window resizable by the user (WS_THICKFRAME)."
                         : "A UserForm cannot be resized by the user unless its code makes it so (--resizable).";
    if (layout.Resizable()) return {};
    return "The form's BorderStyle (" + std::to_string(layout.borderStyle) +
           ") does not let the user resize it: only code can.";
}

// One line per failing statement, its event named.
void AddErrorNotes(const char* event, const std::vector<RunError>& errors, std::vector<std::string>& notes) {
    for (const RunError& error : errors)
        notes.push_back(std::string(event) + ": run-time error " + std::to_string(error.number) + " (" +
                        vb::DescriptionOf(error.number) + ") at " + error.statement);
}

SvgWindow WindowOf(const FormLayout& layout, const FormRun& run, const std::vector<const RunError*>& errors,
                   const std::vector<std::string>& picked) {
    // Looked up once per control, so that a form of many controls draws in linear time.
    std::unordered_set<std::string> pickedRefs;
    for (const auto& ref : picked) pickedRefs.insert(vb::FoldCase(ref));
    std::vector<bool> holdsOthers(layout.controls.size());
    for (const LayoutControl& control : layout.controls)
        if (control.Drawn() && control.container >= 0) holdsOthers[static_cast<std::size_t>(control.container)] = true;
    SvgWindow window;
    window.caption = layout.caption;
    window.width = run.OuterWidth();
    window.height = run.OuterHeight();
    window.frame = layout.frame;
    window.titleBar = layout.titleBar;
    window.menuBar = layout.menuBar;
    window.client = run.ClientArea();
    std::vector<std::string> cutOff;  // picked controls wholly outside the client area
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const LayoutControl& control = layout.controls[i];
        if (!control.Drawn()) continue;
        SvgControl box{control.ref, run.Placement(i)};
        box.holdsOthers = holdsOthers[i];
        box.picked = pickedRefs.count(vb::FoldCase(control.ref)) > 0;
        for (const RunError* error : errors)
            if (!box.error && vb::SameNameIgnoringCase(error->object, control.ref)) box.error = error->number;
        const Rect& b = box.box;
        const Rect& c = window.client;
        if (box.picked && (b.x >= c.x + c.width || b.x + b.width <= c.x || b.y >= c.y + c.height || b.y + b.height <= c.y))
            cutOff.push_back(control.ref);
        window.controls.push_back(std::move(box));
    }
    if (!cutOff.empty() && !run.Minimized()) {
        std::string names;
        for (std::size_t i = 0; i < cutOff.size() && i < 8; ++i) names += (i ? ", " : "") + cutOff[i];
        if (cutOff.size() > 8) names += ", ...";
        window.notes.push_back("Outside the window, out of sight: " + names + ".");
    }
    return window;
}

}  // namespace

Simulation Simulate(const FormLayout& layout, const GeneratedCode& code, const TargetSize& target) {
    Evaluator evaluator;
    evaluator.Declare(code.declarations);
    Simulation simulation{FormRun(layout), FormRun(layout), {}, {}, {}, false};
    simulation.loadErrors = evaluator.Run(code.onLoad, simulation.design).errors;
    simulation.shownErrors = evaluator.Run(code.onResize, simulation.design).errors;

    simulation.resized = simulation.design;
    // The user may show another page of a tab control before resizing: the code must keep
    // every page's controls in place whichever page is shown.
    for (const LayoutControl& control : layout.controls)
        simulation.otherPagesShown = simulation.otherPagesShown || (control.container >= 0 &&
                                     layout.controls[static_cast<std::size_t>(control.container)].tabs);
    if (simulation.otherPagesShown) simulation.resized.ShowOtherPages();
    if (target.minimized) simulation.resized.Minimize();
    else simulation.resized.Resize(target.width, target.height);
    const RunResult resize = evaluator.Run(code.onResize, simulation.resized);
    simulation.resizeErrors = resize.errors;
    simulation.resizeExited = resize.exited;
    return simulation;
}

std::string RenderPreview(const FormLayout& layout, const Simulation& simulation, const PreviewText& text) {
    const FormRun& design = simulation.design;
    const FormRun& resized = simulation.resized;
    std::vector<const RunError*> designErrors;
    for (const auto* errors : {&simulation.loadErrors, &simulation.shownErrors})
        for (const RunError& error : *errors) designErrors.push_back(&error);
    std::vector<const RunError*> resizeErrors;
    for (const RunError& error : simulation.resizeErrors) resizeErrors.push_back(&error);

    SvgWindow before = WindowOf(layout, design, designErrors, text.picked);
    before.heading = layout.name + " at its design size, " + OuterSize(layout, design);
    AddErrorNotes("Form_Load", simulation.loadErrors, before.notes);
    AddErrorNotes("Form_Resize", simulation.shownErrors, before.notes);
    if (before.notes.empty()) before.notes.push_back("Form_Load and Form_Resize raise no error.");

    SvgWindow after = WindowOf(layout, resized, resizeErrors, text.picked);
    after.heading = resized.Minimized() ? "minimised"
                                        : "at " + OuterSize(layout, resized);
    if (simulation.resizeExited) after.notes.push_back("Form_Resize returns at once: nothing moves.");
    if (simulation.otherPagesShown)
        after.notes.push_back("Each tab control shows the pages that were hidden: their controls, placed by the code.");
    if (const std::string note = SizingNote(layout, text.resizable); !note.empty()) after.notes.push_back(note);
    AddErrorNotes("Form_Resize", simulation.resizeErrors, after.notes);
    if (after.notes.empty()) after.notes.push_back("Form_Resize raises no error.");

    std::vector<std::string> footer = {
        "Blue: picked controls. Red: its line of the generated code raises the run-time error shown; "
        "the program stops at the first.",
        layout.userForm ? "Sizes are the window's outer Width x Height in points; the code reads its inside, InsideWidth x "
                          "InsideHeight; " + text.codeKind + "."
                        : "Sizes are the window's outer Width x Height in twips, as the code reads them; " + text.codeKind + "."};
    return WriteSvg({before, after}, footer);
}

}  // namespace tolvane::preview
