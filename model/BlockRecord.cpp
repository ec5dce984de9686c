// The first marker's record: the picks as REF=OPTS words and the variant's flags, on as
// many "' Tolvane:" lines as a line of VB code's length requires.
#include <stdexcept>

#include "model/ModuleBlocks.h"
#include "model/Picks.h"
#include "vb/Names.h"

namespace tolvane::blocks {
namespace {

constexpr std::string_view kRecordPrefix = "' Tolvane:";
// The IDE takes lines of up to 1023 characters; counting bytes keeps within it in any encoding.
constexpr std::size_t kMaxLineBytes = 1023;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Quote(std::string_view text) { return "\"" + vb::PrintablePrefix(text, 60) + "\""; }

ControlRow ParsePick(std::string_view word) {
    const auto equals = word.find('=');
    if (equals == std::string_view::npos || equals == 0)
        throw std::invalid_argument(Quote(word) + " is not a pick (REF=OPTS) nor a flag (--...)");
    ControlRow row;
    row.controlRef = std::string(word.substr(0, equals));
    row.included = 1;
    const std::string_view options = word.substr(equals + 1);
    if (options.empty()) return row;
    if (const auto unknown = TickOptions(options, row))
        throw std::invalid_argument("pick " + Quote(word) + ": unknown option " + Quote(*unknown) +
                                    " (LM, LR, LS, UM, UR, US)");
    return row;
}

}  // namespace

bool IsRecordLine(std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    return text.substr(0, kRecordPrefix.size()) == kRecordPrefix &&
           (text.size() == kRecordPrefix.size() || IsBlank(text[kRecordPrefix.size()]));
}

std::vector<std::string> RecordLines(const Record& record) {
    std::vector<std::string> words;
    for (const ControlRow& row : record.picks) words.push_back(FormatPick(row));
    words.insert(words.end(), record.flags.begin(), record.flags.end());
    std::vector<std::string> lines{std::string(kRecordPrefix)};
    for (const std::string& word : words) {
        if (lines.back().size() > kRecordPrefix.size() && lines.back().size() + 1 + word.size() > kMaxLineBytes)
            lines.emplace_back(kRecordPrefix);
        lines.back() += " " + word;
    }
    return lines;
}

Record ParsePicks(std::span<const std::string> markerLines) {
    Record record;
    for (const std::string& line : markerLines) {
        if (!IsRecordLine(line)) throw std::invalid_argument(Quote(line) + " is not a Tolvane record line");
        std::string_view rest = TrimBlanks(line).substr(kRecordPrefix.size());
        while (!(rest = TrimBlanks(rest)).empty()) {
            std::size_t end = 0;
            while (end < rest.size() && !IsBlank(rest[end])) ++end;
            const std::string_view word = rest.substr(0, end);
            rest.remove_prefix(end);
            if (word.substr(0, 2) == "--") {
                record.flags.emplace_back(word);
                continue;
            }
            ControlRow row = ParsePick(word);
            for (const ControlRow& earlier : record.picks)
                if (vb::SameKeyword(earlier.controlRef, row.controlRef))
                    throw std::invalid_argument(Quote(row.controlRef) + " is picked twice");
            record.picks.push_back(std::move(row));
        }
    }
    return record;
}

}  // namespace tolvane::blocks
