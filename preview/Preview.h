// What generated code does to a form: the form is loaded at its design size (Form_Load,
// then the Form_Resize VB raises when it first shows), then sized to a new size or
// minimised (Form_Resize again). Every statement runs through the Evaluator, so the
// picture shows exactly the arithmetic of the code, run-time errors included.
#pragma once

#include <string>
#include <vector>

#include "vbrun/Evaluator.h"
#include "model/ResizeCode.h"
#include "preview/FormRun.h"

namespace tolvane::preview {

struct TargetSize {
    bool minimized = false;
    double width = 0, height = 0;  // the window's outer size in twips, when not minimised
};

struct Simulation {
    FormRun design;   // after Load and the first Resize
    FormRun resized;  // after the Resize at the target size
    std::vector<RunError> loadErrors, shownErrors, resizeErrors;  // Load, first Resize, Resize at the target
    bool resizeExited = false;
    bool otherPagesShown = false;  // tab controls showed their hidden pages before the resize
};

// Throws std::invalid_argument if the code holds a statement the evaluator does not know.
Simulation Simulate(const FormLayout& layout, const GeneratedCode& code, const TargetSize& target);

struct PreviewText {
    std::vector<std::string> picked;  // control references of the picked rows
    std::string codeKind;             // e.g. "the default text, controls follow their containers"
    bool resizable = false;           // a UserForm's code makes its window resizable
};

// Both states of the simulation side by side, as SVG.
std::string RenderPreview(const FormLayout& layout, const Simulation& simulation, const PreviewText& text);

}  // namespace tolvane::preview
