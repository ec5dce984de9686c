// quenlow apply and quenlow picks: the code generate writes, put into a form's file between
// marker comments that record the picks; written again from them, or taken out.
#include <algorithm>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/FormFile.h"
#include "model/ModuleBlocks.h"
#include "model/Picks.h"
#include "model/ResizeCode.h"

namespace tolvane::cli {
namespace {

namespace files = host::files;

// What apply asks of the generator, in one place to adapt as the generator changes.

// The code variant of a request as the flags the record keeps; ParseGenerate reads them back.
std::vector<std::string> VariantFlags(const GenerateRequest& request) {
    std::vector<std::string> flags;
    if (request.plain) flags.emplace_back("--plain");
    if (request.followContainers) flags.emplace_back("--relative=container");
    return flags;
}

// Whether the command line names a code variant, which a refresh takes from the record.
bool NamesVariant(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
        return arg == "--robust" || arg.rfind("--robust=", 0) == 0 || arg == "--plain" || arg.rfind("--plain=", 0) == 0 ||
               arg == "--relative" || arg.rfind("--relative=", 0) == 0;
    });
}

// The text generate writes for the form. Its guard is a block If around our lines (the plain
// text has none), so nothing of ours leaves the procedure before lines of its own.
GeneratedCode CodeForForm(const GenerateRequest& request, const PickedForm& form, std::ostream& err) {
    const CodeOptions options = OptionsFor(request, form, err);
    CheckStems(request, form.rows, options);
    return GenerateResizeCode(form.name, form.rows, options);
}

struct ApplyRequest {
    GenerateRequest generate;  // formName "" with --all
    bool remove = false;
    bool all = false;
    bool dryRun = false;
};

ApplyRequest ParseApply(const std::vector<std::string>& args) {
    ApplyRequest request;
    request.generate = ParseGenerate(
        args, {.valued = {},
               .switches = {{"--remove", &request.remove}, {"--all", &request.all}, {"--dry-run", &request.dryRun}},
               .formOptional = true});
    const GenerateRequest& generate = request.generate;
    if (!generate.project) throw UsageError("apply: a PROJECT is needed, whose form file is written");
    if (generate.block != Block::All) throw UsageError("--block: apply writes all three blocks");
    if (request.all && !generate.formName.empty())
        throw UsageError("--all: not with --form (it takes every form that holds Tolvane code)");
    if (!request.all && generate.formName.empty()) throw UsageError("apply: --form NAME or --all is required");
    if ((request.all || request.remove) && !generate.picks.empty())
        throw UsageError(std::string(request.remove ? "--remove" : "--all") + ": not with --pick");
    if (generate.picks.empty() && NamesVariant(args))
        throw UsageError("--plain, --robust and --relative go with --pick: without picks, the recorded picks are "
                         "written again as recorded");
    return request;
}

const files::ComponentFile& FileOf(const Project& project, const std::string& name) {
    for (const auto& file : project.files)
        if (file.name == name) return file;
    throw std::logic_error("no file for " + name);  // FindForm found a form read from its file
}

blocks::Survey SurveyOf(const FormFile& form) {
    try {
        return blocks::SurveyModule(form.Lines(), form.Events(), form.FirstLine());
    } catch (const blocks::ModuleError& error) {
        throw form.Error(error);
    }
}

// A form's file, the edit apply makes to it and what writing it does.
struct Plan {
    FormFile form;
    blocks::Edit edit;
    std::string after;
    std::string summary;  // for standard output, once written
};

Plan Planned(FormFile form, blocks::Edit edit, const std::string& done) {
    std::string after = form.After(edit);
    const std::string summary = form.Label() + ": " + (after == form.Bytes() ? "unchanged" : done);
    return Plan{std::move(form), std::move(edit), std::move(after), summary};
}

// The request the record makes: its picks and flags read as the command line's.
GenerateRequest RecordedRequest(const ApplyRequest& request, const FormFile& form, const blocks::Survey& survey,
                                const std::string& formName) {
    if (!survey.recorded) throw files::FileError(form.Label(), 0, "holds no recorded picks: give them with --pick");
    std::vector<std::string> args{"apply", *request.generate.project, "--form", formName};
    for (const ControlRow& row : survey.recorded->picks) {
        const auto pick = form.Decode(FormatPick(row));
        if (!pick) throw form.Error(survey.recordLine, "the picks recorded here do not read in the file's code page");
        args.insert(args.end(), {"--pick", *pick});
    }
    args.insert(args.end(), survey.recorded->flags.begin(), survey.recorded->flags.end());
    if (request.generate.codePage) args.insert(args.end(), {"--codepage", std::to_string(*request.generate.codePage)});
    try {
        return ParseGenerate(args);
    } catch (const UsageError& error) {
        throw form.Error(survey.recordLine, std::string("the picks recorded here: ") + error.what());
    }
}

blocks::Record RecordOf(const FormFile& form, std::span<const ControlRow> rows, const GenerateRequest& request) {
    blocks::Record record;
    for (const ControlRow& row : rows) {
        if (!IsSet(row.included)) continue;
        record.picks.push_back(row);
        record.picks.back().controlRef = form.Encode(row.controlRef);
    }
    record.flags = VariantFlags(request);
    return record;
}

Plan PlanInsert(const Project& project, const ApplyRequest& request, FormFile form, std::string formName,
                std::ostream& err) {
    const blocks::Survey survey = SurveyOf(form);
    const bool recorded = request.generate.picks.empty();
    const GenerateRequest generate = recorded ? RecordedRequest(request, form, survey, formName) : request.generate;
    PickedForm picked;
    try {
        picked = PickFromProject(project, generate);
    } catch (const files::FileError& error) {
        if (!recorded) throw;
        throw form.Error(survey.recordLine, "the picks recorded here: " + error.Problem());
    }
    const std::vector<ControlRow>& rows = picked.rows;
    const GeneratedCode code = CodeForForm(generate, picked, err);
    const blocks::BlockTexts texts{form.Encode(code.declarations), form.Encode(code.onLoad), form.Encode(code.onResize)};
    blocks::Edit edit;
    try {
        edit = blocks::InsertBlocks(form.Lines(), form.Events(), RecordOf(form, rows, generate), texts, form.FirstLine());
    } catch (const blocks::ModuleError& error) {
        throw form.Error(error);
    }
    const auto picks = std::count_if(rows.begin(), rows.end(), [](const ControlRow& row) { return IsSet(row.included); });
    return Planned(std::move(form), std::move(edit),
                   "Tolvane code written for " + std::to_string(picks) + (picks == 1 ? " pick" : " picks"));
}

Plan PlanRemove(FormFile form) {
    const blocks::Survey survey = SurveyOf(form);
    blocks::Edit edit;
    try {
        edit = blocks::RemoveBlocks(form.Lines(), form.Events(), form.FirstLine());
    } catch (const blocks::ModuleError& error) {
        throw form.Error(error);
    }
    if (!survey.marked) {
        Plan plan = Planned(std::move(form), {}, "");
        plan.summary += " (it holds no Tolvane code)";
        return plan;
    }
    return Planned(std::move(form), std::move(edit), "Tolvane code taken out");
}

// The plan for the form named, or for every standard form that holds our code.
std::vector<Plan> PlanForms(const Project& project, const ApplyRequest& request, std::ostream& err) {
    std::vector<Plan> plans;
    auto plan = [&](FormFile form, const std::string& name) {
        plans.push_back(request.remove ? PlanRemove(std::move(form))
                                       : PlanInsert(project, request, std::move(form), name, err));
    };
    if (!request.all) {
        const std::string name = FindForm(project, request.generate.formName, true);
        plan(FormFile(FileOf(project, name)), name);
        return plans;
    }
    for (const auto& file : project.files) {
        if (!host::IsPickableForm(file.type)) continue;
        FormFile form(file);
        if (SurveyOf(form).marked) plan(std::move(form), file.name);
    }
    if (plans.empty()) err << "quenlow: note: no form of " << project.label << " holds Tolvane code\n";
    return plans;
}

// Shows the changes, or writes them: every file is checked before any is written.
void Carry(const std::vector<Plan>& plans, bool dryRun, std::ostream& out) {
    for (const Plan& plan : plans) {
        if (plan.after == plan.form.Bytes()) continue;
        if (dryRun) plan.form.WriteDiff(out, plan.edit);
        else files::CheckWritable(plan.form.Path(), plan.form.Label(), plan.form.Stamp());
    }
    if (dryRun) return;
    for (const Plan& plan : plans) {
        if (plan.after != plan.form.Bytes())
            files::WriteFileSafely(plan.form.Path(), plan.after, plan.form.Label(), plan.form.Stamp());
        out << plan.summary << "\n";
    }
}

}  // namespace

int RunApply(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ApplyRequest request = ParseApply(args);
    const Project project = Open(*request.generate.project, request.generate.codePage, request.generate.formName, err);
    Carry(PlanForms(project, request, err), request.dryRun, out);
    return kExitOk;
}

int RunPicks(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const GenerateRequest request = ParseGenerate(args);
    if (!request.project || !request.picks.empty() || request.block != Block::All || NamesVariant(args))
        throw UsageError("usage: quenlow picks PROJECT --form NAME [--codepage N]");
    const Project project = Open(*request.project, request.codePage, request.formName, err);
    const FormFile form(FileOf(project, FindForm(project, request.formName, true)));
    const blocks::Survey survey = SurveyOf(form);
    if (!survey.recorded) return kExitOk;
    for (const ControlRow& row : survey.recorded->picks) {
        const std::string pick = FormatPick(row);
        out << form.Decode(pick).value_or(vb::Printable(pick)) << "\n";
    }
    return kExitOk;
}

}  // namespace tolvane::cli
