#include "preview/Preview.h"

#include <cmath>

#include "preview/Svg.h"
#include "vb/Errors.h"
#include "vb/Names.h"

namespace tolvane::preview {
namespace {

std::string ErrorName(int number) {
    switch (number) {
        case kVbOverflow: return vb::kOverflow;
        case kVbDivisionByZero: return vb::kDivisionByZero;
        case kVbInvalidPropertyValue: return vb::kInvalidPropertyValue;
        case kVbNoSuchProperty: return vb::kNoSuchMember;
        default: return "error";
    }
}

std::string Twips(double value) { return std::to_string(static_cast<long long>(std::llround(value))); }

// One line per failing statement, its event named.
void AddErrorNotes(const char* event, const std::vector<RunError>& errors, std::vector<std::string>& notes) {
    for (const RunError& error : errors)
        notes.push_back(std::string(event) + ": run-time error " + std::to_string(error.number) + " (" +
                        ErrorName(error.number) + ") at " + error.statement);
}

SvgWindow WindowOf(const FormLayout& layout, const FormRun& run, const std::vector<const RunError*>& errors,
                   const std::vector<std::string>& picked) {
    SvgWindow window;
    window.caption = layout.caption;
    window.width = run.OuterWidth();
    window.height = run.OuterHeight();
    window.frame = layout.frame;
    window.titleBar = layout.titleBar;
    window.menuBar = layout.menuBar;
    window.client = run.ClientArea();
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const LayoutControl& control = layout.controls[i];
        if (!control.placed) continue;
        SvgControl box{control.ref, run.Placement(i)};
        for (const LayoutControl& other : layout.controls)
            box.holdsOthers = box.holdsOthers || (other.placed && other.container == static_cast<int>(i));
        for (const auto& ref : picked) box.picked = box.picked || vb::SameNameIgnoringCase(ref, control.ref);
        for (const RunError* error : errors)
            if (!box.error && vb::SameNameIgnoringCase(error->object, control.ref)) box.error = error->number;
        window.controls.push_back(std::move(box));
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
    before.heading = layout.name + " at its design size, " + Twips(design.OuterWidth()) + " x " +
                     Twips(design.OuterHeight()) + " twips";
    AddErrorNotes("Form_Load", simulation.loadErrors, before.notes);
    AddErrorNotes("Form_Resize", simulation.shownErrors, before.notes);
    if (before.notes.empty()) before.notes.push_back("Form_Load and Form_Resize raise no error.");

    SvgWindow after = WindowOf(layout, resized, resizeErrors, text.picked);
    after.heading = resized.Minimized() ? "minimised"
                                        : "at " + Twips(resized.OuterWidth()) + " x " + Twips(resized.OuterHeight()) + " twips";
    if (simulation.resizeExited) after.notes.push_back("Form_Resize returns at once: nothing moves.");
    AddErrorNotes("Form_Resize", simulation.resizeErrors, after.notes);
    if (after.notes.empty()) after.notes.push_back("Form_Resize raises no error.");

    std::vector<std::string> footer = {
        "Blue: picked controls. Red: its line of the generated code raises the run-time error shown; "
        "the program stops at the first.",
        "Sizes are the window's outer Width x Height in twips, as the code reads them; " + text.codeKind + "."};
    return WriteSvg({before, after}, footer);
}

}  // namespace tolvane::preview
