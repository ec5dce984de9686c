#include "model/ResizeCode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "vb/Names.h"

namespace tolvane {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kCrLf = "\r\n";

// The literal pieces of every line, joined per property ahead of time so that a line is
// a handful of copies.
struct Option {
    std::string_view declaration;  // "_Left as integer\r\n"
    std::string_view loadMiddle;   // "_Left = "
    std::string_view loadEnd;      // ".Left\r\n"
    std::string_view resizeStart;  // ".Left = "
    std::string_view offsetMiddle; // ".Width - (iFormWidth - i"
    std::string_view offsetEnd;    // "_Left)\r\n"
    std::string_view scaledMiddle; // ".Width * (i"
    std::string_view scaledEnd;    // "_Left / iFormWidth)\r\n"
};

constexpr Option kLeft{"_Left as integer\r\n", "_Left = ", ".Left\r\n", ".Left = ",
                       ".Width - (iFormWidth - i", "_Left)\r\n", ".Width * (i", "_Left / iFormWidth)\r\n"};
constexpr Option kWidth{"_Width as integer\r\n", "_Width = ", ".Width\r\n", ".Width = ",
                        ".Width - (iFormWidth - i", "_Width)\r\n", ".Width * (i", "_Width / iFormWidth)\r\n"};
constexpr Option kTop{"_Top as integer\r\n", "_Top = ", ".Top\r\n", ".Top = ",
                      ".Height - (iFormHeight - i", "_Top)\r\n", ".Height * (i", "_Top / iFormHeight)\r\n"};
constexpr Option kHeight{"_Height as integer\r\n", "_Height = ", ".Height\r\n", ".Height = ",
                         ".Height - (iFormHeight - i", "_Height)\r\n", ".Height * (i", "_Height / iFormHeight)\r\n"};

// The three blocks are produced twice with the same code: once into a Measure to learn
// their exact sizes, then into a Write over strings of those sizes. A full grid thus costs
// three allocations and plain copies, which matters because the text is rebuilt on every
// "Generate Code".
struct Measure {
    std::size_t size = 0;
    template <class... Pieces>
    void Append(const Pieces&... pieces) {
        size += (std::string_view(pieces).size() + ...);
    }
};

struct Write {
    char* cursor;
    template <class... Pieces>
    void Append(const Pieces&... pieces) {
        (Put(std::string_view(pieces)), ...);
    }
    // Pieces are short; fixed-size overlapping copies are inlined by the compiler, where a
    // call to memcpy per piece would cost more than the copy itself.
    void Put(std::string_view piece) {
        const char* from = piece.data();
        const std::size_t n = piece.size();
        if (n >= 16 && n <= 32) {
            std::memcpy(cursor, from, 16);
            std::memcpy(cursor + n - 16, from + n - 16, 16);
        } else if (n >= 8 && n < 16) {
            std::memcpy(cursor, from, 8);
            std::memcpy(cursor + n - 8, from + n - 8, 8);
        } else if (n >= 4 && n < 8) {
            std::memcpy(cursor, from, 4);
            std::memcpy(cursor + n - 4, from + n - 4, 4);
        } else if (n < 4) {
            for (std::size_t i = 0; i < n; ++i) cursor[i] = from[i];
        } else {
            std::memcpy(cursor, from, n);
        }
        cursor += n;
    }
};

template <class Out>
struct Blocks {
    Out declarations, onLoad, onResize;
};

// The characters of a control reference that its variables' names spell "_": Option1(3) ->
// Option1_3_.
constexpr bool SpeltAsUnderscore(char c) { return c == '(' || c == ')'; }

// "i" + stem, then the rest of a variable name, without building the stem as a string:
// the text is a control reference turned into its stem as it is written (a stem chosen to
// settle a clash is one already, which the same rule leaves as it is).
struct Stem {
    std::string_view text;
};

template <class Out>
void AppendStem(Out& out, Stem stem) {
    if constexpr (std::is_same_v<Out, Measure>) {
        out.size += stem.text.size();
    } else {
        char* start = out.cursor;
        out.Put(stem.text);
        std::replace_if(start, out.cursor, SpeltAsUnderscore, '_');
    }
}

template <class Out>
void AppendResizeLine(Out& out, const ControlRow& row, Stem stem, std::string_view form, const Option& option,
                      bool scaled) {
    // R.Left = F.Width - (iFormWidth - iS_Left)   or, scaled,   R.Left = F.Width * (iS_Left / iFormWidth)
    out.Append(row.controlRef, option.resizeStart, form, scaled ? option.scaledMiddle : option.offsetMiddle);
    AppendStem(out, stem);
    out.Append(scaled ? option.scaledEnd : option.offsetEnd);
}

template <class Out>
void AppendRow(Blocks<Out>& blocks, const ControlRow& row, Stem stem, std::string_view form) {
    // Declarations and Load lines come in the order Left, Top, Width, Height.
    const struct {
        CheckState state;
        const Option& option;
    } recorded[] = {{row.moveH, kLeft}, {row.moveV, kTop}, {row.sizeH, kWidth}, {row.sizeV, kHeight}};
    for (const auto& item : recorded) {
        if (!IsSet(item.state)) continue;
        blocks.declarations.Append("Dim i"sv);
        AppendStem(blocks.declarations, stem);
        blocks.declarations.Append(item.option.declaration);
        blocks.onLoad.Append("i"sv);
        AppendStem(blocks.onLoad, stem);
        blocks.onLoad.Append(item.option.loadMiddle, row.controlRef, item.option.loadEnd);
    }
    // Resize lines come in the order Left, Width, Top, Height; scale picks the form of both lines of its axis.
    if (IsSet(row.moveH)) AppendResizeLine(blocks.onResize, row, stem, form, kLeft, IsSet(row.scaleH));
    if (IsSet(row.sizeH)) AppendResizeLine(blocks.onResize, row, stem, form, kWidth, IsSet(row.scaleH));
    if (IsSet(row.moveV)) AppendResizeLine(blocks.onResize, row, stem, form, kTop, IsSet(row.scaleV));
    if (IsSet(row.sizeV)) AppendResizeLine(blocks.onResize, row, stem, form, kHeight, IsSet(row.scaleV));
}

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

template <class Out>
void AppendAll(Blocks<Out>& blocks, std::string_view form, std::span<const ControlRow> rows,
               const std::vector<std::string>& settled) {
    blocks.declarations.Append(
        "Dim iFormWidth as integer\r\n"
        "Dim iFormHeight as integer\r\n"
        "Dim iFormScaleWidth as integer\r\n"
        "Dim iFormScaleHeight as integer\r\n"
        "\r\n"sv);
    blocks.onLoad.Append("iFormWidth = "sv, form, ".Width\r\n"sv, "iFormHeight = "sv, form, ".Height\r\n"sv,
                         "iFormScaleWidth = "sv, form, ".ScaleWidth\r\n"sv, "iFormScaleHeight = "sv, form,
                         ".ScaleHeight\r\n"sv, kCrLf);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!IsSet(rows[i].included)) continue;
        const bool clash = !settled.empty() && !settled[i].empty();
        AppendRow(blocks, rows[i], Stem{clash ? std::string_view(settled[i]) : std::string_view(rows[i].controlRef)},
                  form);
    }
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

GeneratedCode GenerateResizeCode(const ResizeModel& model) { return GenerateResizeCode(model.formName, model.rows); }

GeneratedCode GenerateResizeCode(std::string_view formName, std::span<const ControlRow> rows) {
    const std::vector<std::string> settled = ClashSettlingStems(rows);
    Blocks<Measure> sizes;
    AppendAll(sizes, formName, rows, settled);

    GeneratedCode code;
    code.declarations.resize(sizes.declarations.size);
    code.onLoad.resize(sizes.onLoad.size);
    code.onResize.resize(sizes.onResize.size);
    Blocks<Write> out{{code.declarations.data()}, {code.onLoad.data()}, {code.onResize.data()}};
    AppendAll(out, formName, rows, settled);
    return code;
}

}  // namespace tolvane
