#include "cli/UnifiedDiff.h"

#include <algorithm>

namespace tolvane::cli {
namespace {

// "start,count" of a hunk's side: 1-based; for no lines, the line before them.
std::string Range(std::size_t start, std::size_t count) {
    return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

std::ptrdiff_t Growth(const blocks::Change& change) {
    return static_cast<std::ptrdiff_t>(change.inserted.size()) - static_cast<std::ptrdiff_t>(change.removed);
}

class HunkWriter {
public:
    HunkWriter(std::ostream& out, std::span<const std::string> before, std::size_t afterSize,
               const std::function<std::string(const std::string&)>& show, bool finalEnd)
        : out_(out), before_(before), afterSize_(afterSize), show_(show), finalEnd_(finalEnd) {}

    // The changes first..last (indexes into `edit`) with their context; `shift` is how far
    // the new file's lines are from the old ones before them.
    void Write(const blocks::Edit& edit, std::size_t first, std::size_t last, std::ptrdiff_t shift, std::size_t context) {
        const std::size_t oldStart = edit[first].first > context ? edit[first].first - context : 0;
        const std::size_t oldEnd = std::min(before_.size(), edit[last].first + edit[last].removed + context);
        std::ptrdiff_t growth = 0;
        for (std::size_t k = first; k <= last; ++k) growth += Growth(edit[k]);
        old_ = oldStart;
        new_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(oldStart) + shift);
        out_ << "@@ -" << Range(oldStart, oldEnd - oldStart) << " +"
             << Range(new_, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(oldEnd - oldStart) + growth)) << " @@\n";
        for (std::size_t k = first; k <= last; ++k) {
            while (old_ < edit[k].first) Context();
            for (std::size_t r = 0; r < edit[k].removed; ++r) Old('-');
            for (const std::string& line : edit[k].inserted) {
                const bool last = ++new_ == afterSize_;
                Line('+', show_(line), last);
            }
        }
        while (old_ < oldEnd) Context();
    }

private:
    void Context() {
        ++new_;
        Old(' ');
    }
    void Old(char mark) {
        const std::string& text = before_[old_++];
        Line(mark, text, old_ == before_.size());
    }
    void Line(char mark, const std::string& text, bool lastOfFile) {
        out_ << mark << text << "\n";
        if (lastOfFile && !finalEnd_) out_ << "\\ No newline at end of file\n";
    }

    std::ostream& out_;
    std::span<const std::string> before_;
    std::size_t afterSize_;
    const std::function<std::string(const std::string&)>& show_;
    bool finalEnd_;
    std::size_t old_ = 0, new_ = 0;
};

}  // namespace

void WriteUnifiedDiff(std::ostream& out, const std::string& label, std::span<const std::string> before,
                      const blocks::Edit& edit, const std::function<std::string(const std::string&)>& show,
                      bool finalEnd, std::size_t context) {
    if (edit.empty()) return;
    std::ptrdiff_t total = 0;
    for (const auto& change : edit) total += Growth(change);
    HunkWriter writer(out, before, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(before.size()) + total), show,
                      finalEnd);
    out << "--- " << label << "\n+++ " << label << "\n";
    std::ptrdiff_t shift = 0;
    for (std::size_t first = 0; first < edit.size();) {
        std::size_t last = first;
        while (last + 1 < edit.size() && edit[last + 1].first <= edit[last].first + edit[last].removed + 2 * context)
            ++last;
        writer.Write(edit, first, last, shift, context);
        for (std::size_t k = first; k <= last; ++k) shift += Growth(edit[k]);
        first = last + 1;
    }
}

}  // namespace tolvane::cli
