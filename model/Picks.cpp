#include "model/Picks.h"

#include <algorithm>
#include <iterator>

#include "vb/Names.h"

namespace tolvane {

std::optional<std::string> TickOptions(std::string_view options, ControlRow& row) {
    while (true) {
        const auto comma = options.find(',');
        const std::string_view option = options.substr(0, comma);
        const auto known = std::find_if(std::begin(kPickOptions), std::end(kPickOptions),
                                        [&](const PickOption& entry) { return vb::SameKeyword(option, entry.code); });
        if (known == std::end(kPickOptions)) return std::string(option);
        row.*(known->box) = 1;
        if (comma == std::string_view::npos) return std::nullopt;
        options.remove_prefix(comma + 1);
    }
}

std::string FormatPick(const ControlRow& row) {
    std::string word = row.controlRef + "=";
    bool first = true;
    for (const PickOption& option : kPickOptions) {
        if (!IsSet(row.*(option.box))) continue;
        if (!first) word += ",";
        word += option.code;
        first = false;
    }
    return word;
}

}  // namespace tolvane
