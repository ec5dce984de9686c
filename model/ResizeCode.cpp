#include "model/ResizeCode.h"

#include <algorithm>
#include <cstring>

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

// "i" + stem, then the rest of a variable name, without building the stem as a string.
struct Stem {
    std::string_view controlRef;
};

template <class Out>
void AppendStem(Out& out, Stem stem) {
    if constexpr (std::is_same_v<Out, Measure>) {
        out.size += stem.controlRef.size();
    } else {
        char* start = out.cursor;
        out.Put(stem.controlRef);
        std::replace_if(start, out.cursor, [](char c) { return c == '(' || c == ')'; }, '_');
    }
}

template <class Out>
void AppendResizeLine(Out& out, const ControlRow& row, std::string_view form, const Option& option, bool scaled) {
    // R.Left = F.Width - (iFormWidth - iS_Left)   or, scaled,   R.Left = F.Width * (iS_Left / iFormWidth)
    out.Append(row.controlRef, option.resizeStart, form, scaled ? option.scaledMiddle : option.offsetMiddle);
    AppendStem(out, {row.controlRef});
    out.Append(scaled ? option.scaledEnd : option.offsetEnd);
}

template <class Out>
void AppendRow(Blocks<Out>& blocks, const ControlRow& row, std::string_view form) {
    // Declarations and Load lines come in the order Left, Top, Width, Height.
    const struct {
        CheckState state;
        const Option& option;
    } recorded[] = {{row.moveH, kLeft}, {row.moveV, kTop}, {row.sizeH, kWidth}, {row.sizeV, kHeight}};
    for (const auto& item : recorded) {
        if (!IsSet(item.state)) continue;
        blocks.declarations.Append("Dim i"sv);
        AppendStem(blocks.declarations, {row.controlRef});
        blocks.declarations.Append(item.option.declaration);
        blocks.onLoad.Append("i"sv);
        AppendStem(blocks.onLoad, {row.controlRef});
        blocks.onLoad.Append(item.option.loadMiddle, row.controlRef, item.option.loadEnd);
    }
    // Resize lines come in the order Left, Width, Top, Height; scale picks the form of both lines of its axis.
    if (IsSet(row.moveH)) AppendResizeLine(blocks.onResize, row, form, kLeft, IsSet(row.scaleH));
    if (IsSet(row.sizeH)) AppendResizeLine(blocks.onResize, row, form, kWidth, IsSet(row.scaleH));
    if (IsSet(row.moveV)) AppendResizeLine(blocks.onResize, row, form, kTop, IsSet(row.scaleV));
    if (IsSet(row.sizeV)) AppendResizeLine(blocks.onResize, row, form, kHeight, IsSet(row.scaleV));
}

template <class Out>
void AppendAll(Blocks<Out>& blocks, const ResizeModel& model) {
    const std::string_view form = model.formName;
    blocks.declarations.Append(
        "Dim iFormWidth as integer\r\n"
        "Dim iFormHeight as integer\r\n"
        "Dim iFormScaleWidth as integer\r\n"
        "Dim iFormScaleHeight as integer\r\n"
        "\r\n"sv);
    blocks.onLoad.Append("iFormWidth = "sv, form, ".Width\r\n"sv, "iFormHeight = "sv, form, ".Height\r\n"sv,
                         "iFormScaleWidth = "sv, form, ".ScaleWidth\r\n"sv, "iFormScaleHeight = "sv, form,
                         ".ScaleHeight\r\n"sv, kCrLf);
    for (const ControlRow& row : model.rows)
        if (IsSet(row.included)) AppendRow(blocks, row, form);
}

}  // namespace

std::string VariableStem(std::string_view controlRef) {
    std::string stem(controlRef);
    std::replace_if(stem.begin(), stem.end(), [](char c) { return c == '(' || c == ')'; }, '_');
    return stem;
}

GeneratedCode GenerateResizeCode(const ResizeModel& model) {
    Blocks<Measure> sizes;
    AppendAll(sizes, model);

    GeneratedCode code;
    code.declarations.resize(sizes.declarations.size);
    code.onLoad.resize(sizes.onLoad.size);
    code.onResize.resize(sizes.onResize.size);
    Blocks<Write> out{{code.declarations.data()}, {code.onLoad.data()}, {code.onResize.data()}};
    AppendAll(out, model);
    return code;
}

}  // namespace tolvane
