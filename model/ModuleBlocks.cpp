#include "model/ModuleBlocks.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "vb/Names.h"

namespace tolvane::blocks {
namespace {

using vb::SameKeyword;

enum Role { kDeclarations, kLoad, kResize };
constexpr std::string_view kRoleNames[] = {"declarations", "load", "resize"};

constexpr std::string_view kEndMarker = "' Tolvane end";
constexpr std::string_view kLoadMarker = "' Tolvane load";
constexpr std::string_view kResizeMarker = "' Tolvane resize";
constexpr std::string_view kAddedSuffix = " (Sub added)";

struct Marker {
    enum class Kind { None, Begin, End } kind = Kind::None;
    Role role = kDeclarations;
    bool added = false;  // in a procedure we wrote
};

Marker MarkerOf(std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    if (text == kEndMarker) return {Marker::Kind::End};
    if (IsRecordLine(text)) return {Marker::Kind::Begin, kDeclarations};
    const std::pair<std::string_view, Role> begins[] = {{kLoadMarker, kLoad}, {kResizeMarker, kResize}};
    for (const auto& [marker, role] : begins) {
        if (text == marker) return {Marker::Kind::Begin, role, false};
        if (text.substr(0, marker.size()) == marker && text.substr(marker.size()) == kAddedSuffix)
            return {Marker::Kind::Begin, role, true};
    }
    return {};
}

// One of our blocks: physical lines begin..end, the markers included.
struct Block {
    Role role = kDeclarations;
    std::size_t begin = 0, end = 0;
    std::size_t recordEnd = 0;  // the declarations block's last record line
    bool added = false;
};

// The module, its procedures, our blocks and the event procedures, checked.
class Module {
public:
    Module(std::span<const std::string> lines, const EventProcedures& events, std::size_t firstLine)
        : lines_(lines), firstLine_(firstLine), outline_(OutlineOf(lines, firstLine)),
          names_{"", std::string(events.load), std::string(events.resize)} {
        FindEventProcedures();
        FindBlocks();
    }

    const std::optional<Block>& BlockOf(Role role) const { return blocks_[role]; }
    const Procedure* EventProcedure(Role role) const { return events_[role] ? &*events_[role] : nullptr; }
    const std::string& EventName(Role role) const { return names_[role]; }
    std::size_t DeclarationsEnd() const { return outline_.declarationsEnd; }
    std::size_t HeaderLine(const Procedure& procedure) const { return outline_.lines[procedure.header].first; }
    std::size_t EndLine(const Procedure& procedure) const { return outline_.lines[procedure.end].first; }
    bool OnOneLine(const Procedure& procedure) const { return procedure.header == procedure.end; }
    // A line's number in messages, and "line N".
    std::size_t Number(std::size_t index) const { return firstLine_ + index; }
    std::string Line(std::size_t index) const { return "line " + std::to_string(Number(index)); }

    // Holds lines other than our block, blank lines and hidden attributes.
    ProcedureUse Use(Role role) const {
        const Procedure* procedure = EventProcedure(role);
        if (!procedure) return ProcedureUse::Absent;
        if (OnOneLine(*procedure)) return ProcedureUse::Shared;
        const auto& block = blocks_[role];
        for (std::size_t i = procedure->header + 1; i < procedure->end; ++i) {
            const LogicalLine& line = outline_.lines[i];
            if (block && line.first >= block->begin && line.last <= block->end) continue;
            if (line.kind != LineKind::Blank && line.kind != LineKind::Attribute) return ProcedureUse::Shared;
        }
        return ProcedureUse::OursAlone;
    }

    Record RecordOf(const Block& block) const {
        try {
            return ParsePicks(lines_.subspan(block.begin, block.recordEnd - block.begin + 1));
        } catch (const std::invalid_argument& error) {
            throw ModuleError(Number(block.begin), std::string("the picks recorded here: ") + error.what());
        }
    }

private:
    void FindEventProcedures() {
        for (const Procedure& procedure : outline_.procedures)
            for (const Role role : {kLoad, kResize}) {
                if (!SameKeyword(procedure.name, names_[role])) continue;
                const std::size_t line = HeaderLine(procedure);
                if (events_[role])
                    throw ModuleError(Number(line), vb::Printable(procedure.name) + " is defined twice (first at " +
                                                    Line(HeaderLine(*events_[role])) + ")");
                if (!SameKeyword(procedure.keyword, "Sub"))
                    throw ModuleError(Number(line), vb::Printable(procedure.name) + " is a " + procedure.keyword +
                                                    "; the event procedure must be a Sub");
                events_[role] = procedure;
            }
    }

    void FindBlocks();
    void Enter(Block block, const Procedure* inside, std::size_t logical);
    void Close(Block block);

    std::span<const std::string> lines_;
    std::size_t firstLine_;
    Outline outline_;
    std::array<std::string, 3> names_;
    std::array<std::optional<Procedure>, 3> events_;
    std::array<std::optional<Block>, 3> blocks_;
};

void Module::FindBlocks() {
    std::optional<Block> open;
    std::size_t next = 0;              // the next procedure to come
    const Procedure* inside = nullptr;  // the procedure being read
    for (std::size_t i = 0; i < outline_.lines.size(); ++i) {
        const LogicalLine& line = outline_.lines[i];
        if (!inside && next < outline_.procedures.size() && outline_.procedures[next].header == i)
            inside = &outline_.procedures[next++];
        const Marker marker =
            line.kind == LineKind::Comment && line.first == line.last ? MarkerOf(lines_[line.first]) : Marker{};
        if (open) {
            if (marker.kind == Marker::Kind::End) {
                open->end = line.first;
                Close(*open);
                open.reset();
            } else if (open->role == kDeclarations && open->recordEnd + 1 == line.first &&
                       IsRecordLine(lines_[line.first])) {
                open->recordEnd = line.first;  // the record goes on
            } else if (marker.kind == Marker::Kind::Begin) {
                throw ModuleError(Number(line.first), "a Tolvane block begins inside the one that begins at " +
                                                      Line(open->begin) + ", before its \"' Tolvane end\"");
            } else if (line.kind == LineKind::Header || line.closes) {
                throw ModuleError(Number(open->begin),
                                  "the Tolvane block that begins here has no \"' Tolvane end\" before " + Line(line.first));
            }
        } else if (marker.kind == Marker::Kind::End) {
            throw ModuleError(Number(line.first), "\"' Tolvane end\" without a Tolvane block that begins before it");
        } else if (marker.kind == Marker::Kind::Begin) {
            open = Block{marker.role, line.first, line.first, line.first, marker.added};
            Enter(*open, inside, i);
        }
        if (inside && inside->end == i) inside = nullptr;
    }
    if (open)
        throw ModuleError(Number(open->begin),
                          "the Tolvane block that begins here has no \"' Tolvane end\" (the module ends first)");
}

// Refuses a block of ours in a place it does not belong.
void Module::Enter(Block block, const Procedure* inside, std::size_t logical) {
    const std::string what = "the Tolvane " + std::string(kRoleNames[block.role]) + " block";
    if (block.role == kDeclarations) {
        const bool first = outline_.procedures.empty() || logical < outline_.procedures.front().header;
        if (!inside && first) return;
        throw ModuleError(Number(block.begin), what + " is not in the declarations section (it is " +
                                               (inside ? "inside " + inside->keyword + " " + vb::Printable(inside->name)
                                                       : std::string("after the first procedure")) + ")");
    }
    if (inside && SameKeyword(inside->name, names_[block.role])) return;
    throw ModuleError(Number(block.begin), what + " is " +
                                           (inside ? "inside " + inside->keyword + " " + vb::Printable(inside->name)
                                                   : std::string("outside any procedure")) +
                                           "; it belongs in " + vb::Printable(names_[block.role]));
}

void Module::Close(Block block) {
    auto& slot = blocks_[block.role];
    if (slot)
        throw ModuleError(Number(block.begin), "a second Tolvane " + std::string(kRoleNames[block.role]) +
                                               " block (the first begins at " + Line(slot->begin) + ")");
    slot = block;
}

std::vector<std::string> SplitText(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string> BlockLines(Role role, bool added, const Record& record, std::string_view text) {
    std::vector<std::string> lines;
    if (role == kDeclarations) lines = RecordLines(record);
    else
        lines.push_back(std::string(role == kLoad ? kLoadMarker : kResizeMarker) + (added ? std::string(kAddedSuffix) : ""));
    for (std::string& line : SplitText(text)) lines.push_back(std::move(line));
    lines.emplace_back(kEndMarker);
    return lines;
}

// The change that puts an event procedure's block in: in place of the old one, at the start
// of the procedure's body, or in a procedure of its own at the end of the module.
Change EventChange(const Module& module, Role role, const Record& record, std::string_view text, std::size_t size) {
    const Procedure* procedure = module.EventProcedure(role);
    const std::string& name = module.EventName(role);
    if (procedure && module.OnOneLine(*procedure))
        throw ModuleError(module.Number(module.HeaderLine(*procedure)),
                          vb::Printable(name) + " is written on one line: give its End Sub a line of its own");
    if (module.Use(role) == ProcedureUse::Shared) {
        const std::vector<std::string> lines = SplitText(text);
        if (FindExitSub(lines) < lines.size())
            throw ModuleError(module.Number(module.HeaderLine(*procedure)),
                              vb::Printable(name) + " has lines of its own, which the \"Exit Sub\" of the " +
                                  std::string(kRoleNames[role]) + " code to put before them would skip");
    }
    if (const auto& block = module.BlockOf(role))
        return {block->begin, block->end - block->begin + 1, BlockLines(role, block->added, record, text)};
    if (procedure) return {procedure->bodyStart, 0, BlockLines(role, false, record, text)};
    std::vector<std::string> lines{"", "Private Sub " + name + "()"};
    for (std::string& line : BlockLines(role, true, record, text)) lines.push_back(std::move(line));
    lines.emplace_back("End Sub");
    return {size, 0, std::move(lines)};
}

// In ascending order; insertions at one place joined in the order given.
Edit Ordered(std::vector<Change> changes) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& a, const Change& b) { return a.first < b.first; });
    Edit edit;
    for (Change& change : changes) {
        if (!edit.empty() && edit.back().first == change.first && edit.back().removed == 0 && change.removed == 0) {
            edit.back().inserted.insert(edit.back().inserted.end(), change.inserted.begin(), change.inserted.end());
            continue;
        }
        edit.push_back(std::move(change));
    }
    return edit;
}

}  // namespace

Survey SurveyModule(std::span<const std::string> lines, const EventProcedures& events, std::size_t firstLine) {
    const Module module(lines, events, firstLine);
    Survey survey;
    for (const Role role : {kDeclarations, kLoad, kResize}) survey.marked = survey.marked || module.BlockOf(role);
    if (const auto& block = module.BlockOf(kDeclarations)) {
        survey.recorded = module.RecordOf(*block);
        survey.recordLine = block->begin;
    }
    survey.load = module.Use(kLoad);
    survey.resize = module.Use(kResize);
    return survey;
}

Edit InsertBlocks(std::span<const std::string> lines, const EventProcedures& events, const Record& record,
                  const BlockTexts& texts, std::size_t firstLine) {
    const Module module(lines, events, firstLine);
    if (const auto& block = module.BlockOf(kDeclarations)) module.RecordOf(*block);  // refuse an unreadable one
    std::vector<Change> changes;
    std::vector<std::string> declarations = BlockLines(kDeclarations, false, record, texts.declarations);
    if (const auto& block = module.BlockOf(kDeclarations))
        changes.push_back({block->begin, block->end - block->begin + 1, std::move(declarations)});
    else
        changes.push_back({module.DeclarationsEnd(), 0, std::move(declarations)});
    changes.push_back(EventChange(module, kLoad, record, texts.load, lines.size()));
    changes.push_back(EventChange(module, kResize, record, texts.resize, lines.size()));
    return Ordered(std::move(changes));
}

Edit RemoveBlocks(std::span<const std::string> lines, const EventProcedures& events, std::size_t firstLine) {
    const Module module(lines, events, firstLine);
    std::vector<Change> changes;
    for (const Role role : {kDeclarations, kLoad, kResize}) {
        const auto& block = module.BlockOf(role);
        if (!block) continue;
        const Procedure* procedure = module.EventProcedure(role);
        if (!block->added || !procedure || module.Use(role) != ProcedureUse::OursAlone) {
            changes.push_back({block->begin, block->end - block->begin + 1, {}});
            continue;
        }
        std::size_t first = module.HeaderLine(*procedure);
        if (first > 0 && TrimBlanks(lines[first - 1]).empty()) --first;  // the blank line written before it
        changes.push_back({first, module.EndLine(*procedure) - first + 1, {}});
    }
    return Ordered(std::move(changes));
}

std::vector<std::string> ApplyEdit(std::span<const std::string> lines, const Edit& edit) {
    std::vector<std::string> out;
    std::size_t next = 0;
    for (const Change& change : edit) {
        if (change.first < next || change.first + change.removed > lines.size())
            throw std::invalid_argument("the edit's changes overlap or reach past the module's end");
        out.insert(out.end(), lines.begin() + static_cast<std::ptrdiff_t>(next),
                   lines.begin() + static_cast<std::ptrdiff_t>(change.first));
        out.insert(out.end(), change.inserted.begin(), change.inserted.end());
        next = change.first + change.removed;
    }
    out.insert(out.end(), lines.begin() + static_cast<std::ptrdiff_t>(next), lines.end());
    return out;
}

}  // namespace tolvane::blocks
