#include "model/ResizeCode.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "model/CodeWriter.h"
#include "vb/Names.h"

namespace tolvane {
namespace {

// The characters of a control reference that its variables' names spell "_": Option1(3) ->
// Option1_3_.
constexpr bool SpeltAsUnderscore(char c) { return c == '(' || c == ')'; }

// A hash of the stem as VB compares names (letter case ignored), computed without building
// the stem: equal stems give equal hashes, so distinct hashes prove there is no clash.
std::uint64_t FoldedStemHash(std::string_view controlRef) {
    std::uint64_t hash = 14695981039346656037ull;
    std::size_t pos = 0;
    while (pos < controlRef.size()) {
        const char byte = controlRef[pos];
        char32_t c = static_cast<unsigned char>(byte);
        if (c < 0x80) {
            ++pos;
            if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
            else if (SpeltAsUnderscore(byte)) c = '_';
        } else if (vb::NextCodePoint(controlRef, pos, c)) {
            c = vb::FoldCodePoint(c);
        } else {
            ++pos;  // a stray byte hashes as itself
        }
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

// The stems that settle clashes, by row: empty when no two included rows clash (the usual
// case, which then costs one hash per row and a sort), else a stem for each later row of a
// clash and "" for every other row.
std::vector<std::string> ClashSettlingStems(std::span<const ControlRow> rows) {
    std::vector<std::pair<std::uint64_t, std::size_t>> hashes;
    hashes.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (IsSet(rows[i].included)) hashes.emplace_back(FoldedStemHash(rows[i].controlRef), i);
    std::sort(hashes.begin(), hashes.end());
    const auto sameHash = [](const auto& a, const auto& b) { return a.first == b.first; };
    if (std::adjacent_find(hashes.begin(), hashes.end(), sameHash) == hashes.end()) return {};

    // Rare: compare the folded stems themselves, in row order.
    std::unordered_set<std::string> taken;
    std::vector<std::string> folded(rows.size());
    for (const auto& [hash, row] : hashes) folded[row] = vb::FoldCase(VariableStem(rows[row].controlRef));
    std::vector<std::string> settled(rows.size());
    bool anyClash = false;
    for (const auto& [hash, row] : hashes) taken.insert(folded[row]);
    std::unordered_set<std::string> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!IsSet(rows[i].included) || seen.insert(folded[i]).second) continue;
        const std::string stem = VariableStem(rows[i].controlRef);
        for (int n = 2;; ++n) {
            std::string candidate = stem + "_" + std::to_string(n);
            if (taken.insert(vb::FoldCase(candidate)).second) {
                settled[i] = std::move(candidate);
                break;
            }
        }
        anyClash = true;
    }
    if (!anyClash) settled.clear();
    return settled;
}

}  // namespace

std::string VariableStem(std::string_view controlRef) {
    std::string stem(controlRef);
    std::replace_if(stem.begin(), stem.end(), SpeltAsUnderscore, '_');
    return stem;
}

std::vector<std::string> RowStems(std::span<const ControlRow> rows) {
    std::vector<std::string> stems = ClashSettlingStems(rows);
    stems.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (IsSet(rows[i].included) && stems[i].empty()) stems[i] = VariableStem(rows[i].controlRef);
    return stems;
}

std::vector<std::string> CodeStems(std::span<const ControlRow> rows, const CodeOptions& options) {
    if (!options.places.empty() && options.places.size() != rows.size())
        throw std::invalid_argument("one place per row is needed");
    std::vector<ControlRow> named(rows.begin(), rows.end());
    for (std::size_t row = 0; row < options.places.size(); ++row) {
        const int container = options.places[row].container;
        if (container < -1 || container >= static_cast<int>(rows.size()) || container == static_cast<int>(row))
            throw std::invalid_argument("row " + std::to_string(row) + " has no valid container");
        // A container that included rows follow has variables of its own.
        if (options.followContainers && container >= 0 && IsSet(rows[row].included)) named[container].included = 1;
    }
    return RowStems(named);
}

std::size_t MaxStemLength(const CodeOptions& options) {
    return options.target == CodeTarget::kUserForm ? kMaxStemLength - 1 : kMaxStemLength;
}

EventProcedures EventProceduresOf(CodeTarget target) {
    if (target == CodeTarget::kUserForm) return {"UserForm_Initialize", "UserForm_Resize"};
    return {"Form_Load", "Form_Resize"};
}


GeneratedCode GenerateResizeCode(const ResizeModel& model) { return GenerateResizeCode(model.formName, model.rows); }

GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows) {
    CodeOptions plain;
    plain.style = CodeStyle::kPlain;
    return WriteCode(formName, rows, plain);
}

GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows,
                                 const CodeOptions& options) {
    return WriteCode(formName, rows, options);
}

}  // namespace tolvane
