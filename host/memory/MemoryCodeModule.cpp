#include "host/memory/MemoryCodeModule.h"

#include "vb/Errors.h"
#include "vb/ModuleScan.h"
#include "vb/Names.h"

namespace tolvane::host::memory {
namespace {

// Where a Sub or Function stands, 0-based: its first line, its header and its last line.
struct ProcedurePlace {
    std::size_t start = 0, header = 0, last = 0;
};

class CodeModuleImpl final : public CodeModule {
public:
    CodeModuleImpl(std::shared_ptr<FaultPlan> faults, std::shared_ptr<void> keep, std::vector<std::string>& lines)
        : faults_(std::move(faults)), keep_(std::move(keep)), lines_(lines) {}

    int CountOfLines() override {
        faults_->Check("CodeModule.CountOfLines");
        return Count();
    }
    int CountOfDeclarationLines() override {
        faults_->Check("CodeModule.CountOfDeclarationLines");
        return static_cast<int>(Outlined().declarationsEnd);
    }
    std::string Lines(int start, int count) override {
        faults_->Check("CodeModule.Lines");
        CheckRange(start, count);
        std::string text;
        for (int line = start; line < start + count; ++line) {
            if (line > start) text += "\r\n";
            text += lines_[static_cast<std::size_t>(line - 1)];
        }
        return text;
    }
    int ProcStartLine(const std::string& name) override {
        faults_->Check("CodeModule.ProcStartLine");
        return static_cast<int>(Place(name).start) + 1;
    }
    int ProcBodyLine(const std::string& name) override {
        faults_->Check("CodeModule.ProcBodyLine");
        return static_cast<int>(Place(name).header) + 1;
    }
    int ProcCountLines(const std::string& name) override {
        faults_->Check("CodeModule.ProcCountLines");
        const ProcedurePlace place = Place(name);
        return static_cast<int>(place.last - place.start) + 1;
    }
    int CreateEventProc(const std::string& event, const std::string& object) override {
        faults_->Check("CodeModule.CreateEventProc");
        const std::string name = object + "_" + event;
        if (Find(name)) throw HostError(std::string(vb::kAmbiguousName) + ": " + name);
        // As the IDE writes one: at the end, after a blank line, with an empty line to type on.
        if (!lines_.empty()) lines_.emplace_back();
        lines_.push_back("Private Sub " + name + "()");
        lines_.emplace_back();
        lines_.emplace_back("End Sub");
        return Count() - 1;
    }
    void InsertLines(int line, const std::string& text) override {
        faults_->Check("CodeModule.InsertLines");
        if (line < 1 || line > Count() + 1) throw HostError(vb::kInvalidCall);
        const auto added = vb::SplitModuleText(text);
        lines_.insert(lines_.begin() + (line - 1), added.begin(), added.end());
    }
    void DeleteLines(int start, int count) override {
        faults_->Check("CodeModule.DeleteLines");
        CheckRange(start, count);
        lines_.erase(lines_.begin() + (start - 1), lines_.begin() + (start - 1 + count));
    }

private:
    int Count() const { return static_cast<int>(lines_.size()); }

    void CheckRange(int start, int count) const {
        if (start < 1 || count < 0 || start - 1 > Count() - count) throw HostError(vb::kInvalidCall);
    }

    vb::Outline Outlined() const {
        try {
            return vb::OutlineOf(lines_);
        } catch (const vb::ModuleError& error) {
            throw HostError(error.what());
        }
    }

    std::optional<ProcedurePlace> Find(const std::string& name) const {
        const vb::Outline outline = Outlined();
        std::size_t start = outline.declarationsEnd;
        for (std::size_t i = 0; i < outline.procedures.size(); ++i) {
            const vb::Procedure& procedure = outline.procedures[i];
            const std::size_t last = outline.lines[procedure.end].last;
            const bool isProc = vb::SameKeyword(procedure.keyword, "Sub") || vb::SameKeyword(procedure.keyword, "Function");
            if (isProc && vb::SameNameIgnoringCase(procedure.name, name)) {
                // The last procedure has the lines after it too.
                const std::size_t through = i + 1 == outline.procedures.size() ? lines_.size() - 1 : last;
                return ProcedurePlace{start, outline.lines[procedure.header].first, through};
            }
            start = last + 1;
        }
        return std::nullopt;
    }

    ProcedurePlace Place(const std::string& name) const {
        const auto found = Find(name);
        if (!found) throw HostError(vb::kSubNotDefined);
        return *found;
    }

    std::shared_ptr<FaultPlan> faults_;
    std::shared_ptr<void> keep_;
    std::vector<std::string>& lines_;
};

}  // namespace

std::shared_ptr<CodeModule> MakeCodeModule(std::shared_ptr<FaultPlan> faults, std::shared_ptr<void> keep,
                                           std::vector<std::string>& lines) {
    return std::make_shared<CodeModuleImpl>(std::move(faults), std::move(keep), lines);
}

}  // namespace tolvane::host::memory
