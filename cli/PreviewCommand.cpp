// quenlow preview: the form at its design size and at a new size, as the generated code
// places its controls, drawn as one SVG file.
#include <cmath>
#include <map>
#include <optional>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "host/files/ProjectFiles.h"
#include "host/files/SafeWrite.h"
#include "host/files/Text.h"
#include "preview/Preview.h"
#include "vb/Names.h"

namespace tolvane::cli {
namespace {

struct PreviewRequest {
    GenerateRequest generate;
    std::optional<preview::TargetSize> size;  // none: 150% of the design size
    std::string out;
};

// "WIDTHxHEIGHT" in twips, or "minimized".
preview::TargetSize ParseSize(const std::string& text) {
    if (text == "minimized" || text == "minimised") return {true, 0, 0};
    constexpr long kLargest = 200000;
    auto number = [](std::string_view digits) {
        long value = 0;
        if (digits.empty() || digits.size() > 6) return 0L;
        for (const char c : digits) {
            if (c < '0' || c > '9') return 0L;
            value = value * 10 + (c - '0');
        }
        return value <= kLargest ? value : 0L;
    };
    const std::size_t x = text.find_first_of("xX");
    const long width = x == std::string::npos ? 0 : number(std::string_view(text).substr(0, x));
    const long height = x == std::string::npos ? 0 : number(std::string_view(text).substr(x + 1));
    if (width == 0 || height == 0)
        throw UsageError("--size " + Quoted(text) + ": give WIDTHxHEIGHT in twips, points for a UserForm (each 1 to " +
                         std::to_string(kLargest) +
                         "), e.g. 9000x6000, or minimized");
    return {false, static_cast<double>(width), static_cast<double>(height)};
}

// Reads the arguments as generate does, with --size and --out; every check that needs no
// file is made before anything is read.
PreviewRequest ParsePreview(const std::vector<std::string>& args) {
    std::optional<std::string> size, out;
    GenerateRequest generate =
        ParseGenerate(args, {.valued = {{"--size", &size}, {"--out", &out}}, .switches = {}, .formOptional = false});
    if (generate.block != Block::All) throw UsageError("--block: preview draws a picture, it writes no block");
    PreviewRequest request{std::move(generate), std::nullopt, out.value_or("")};
    if (!request.generate.project) throw UsageError("preview: a PROJECT is needed, to draw its form");
    if (request.out.empty()) throw UsageError("preview: --out FILE.svg is required");
    // A slip such as --out Form1.frm must not replace a project file.
    const std::string extension = host::files::Utf8FromPath(host::files::PathFromUtf8(request.out).extension());
    if (!vb::SameNameIgnoringCase(extension, ".svg"))
        throw UsageError("--out " + Quoted(request.out) + ": give a file name ending in .svg");
    if (size) request.size = ParseSize(*size);
    return request;
}

std::string Summary(const preview::Simulation& simulation) {
    std::map<int, int> counts;
    for (const auto* errors : {&simulation.loadErrors, &simulation.shownErrors, &simulation.resizeErrors})
        for (const RunError& error : *errors) ++counts[error.number];
    if (counts.empty()) return "no run-time error";
    std::string text;
    for (const auto& [number, lines] : counts)
        text += (text.empty() ? "run-time error " : ", ") + std::to_string(number) + " in " + std::to_string(lines) +
                (lines == 1 ? " line" : " lines");
    return text;
}

}  // namespace

int RunPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const PreviewRequest request = ParsePreview(args);
    preview::FormLayout layout;
    const PickedForm form = PickFromProject(request.generate, err, &layout);
    preview::TargetSize target = request.size.value_or(
        preview::TargetSize{false, std::round(layout.OuterWidth() * 1.5), std::round(layout.OuterHeight() * 1.5)});
    if (request.size && layout.userForm) {  // a UserForm's size is given in points
        target.width *= layout.scale.twipsPerUnitX;
        target.height *= layout.scale.twipsPerUnitY;
    }
    CodeOptions options = OptionsFor(request.generate, form, err);
    CheckStems(request.generate, form.rows, options);
    // The lines that make a UserForm resizable call Windows; the picture says what they do.
    options.resizable = false;
    const preview::Simulation simulation =
        preview::Simulate(layout, GenerateResizeCode(form.name, form.rows, options), target);

    preview::PreviewText text;
    for (const ControlRow& row : form.rows)
        if (IsSet(row.included)) text.picked.push_back(row.controlRef);
    text.codeKind = std::string(request.generate.plain ? "the plain text" : "the default text") +
                    (request.generate.followContainers ? ", controls follow their containers" : ", controls follow the form");
    text.resizable = request.generate.resizable;
    host::files::WriteFileSafely(host::files::PathFromUtf8(request.out), preview::RenderPreview(layout, simulation, text),
                                 request.out);
    out << request.out << ": " << form.name << ", " << Summary(simulation) << "\n";
    return kExitOk;
}

}  // namespace tolvane::cli
