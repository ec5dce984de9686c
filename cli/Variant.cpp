// --robust and --relative container: the code variant a request asks for, and the row of
// each picked control's container for code relative to containers.
#include <algorithm>

#include "cli/Commands.h"
#include "vb/Names.h"

namespace tolvane::cli {

CodeVariant VariantFor(const GenerateRequest& request, std::span<const ControlRow> rows,
                       const preview::FormLayout& layout, std::ostream& err) {
    CodeVariant variant{request.robust, {}};
    if (!request.followContainers) return variant;
    auto rowOf = [&](const std::string& ref) {
        const auto found = std::find_if(rows.begin(), rows.end(), [&](const ControlRow& row) {
            return vb::SameNameIgnoringCase(row.controlRef, ref);
        });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    };
    variant.placement.resize(rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto control = rows[row].controlRef.empty() ? std::nullopt : layout.Find(rows[row].controlRef);
        if (!control || layout.controls[*control].container < 0) continue;
        const auto& container = layout.controls[static_cast<std::size_t>(layout.controls[*control].container)];
        // Every control of the form is a row, containers included.
        const int containerRow = rowOf(container.ref);
        if (containerRow < 0) continue;
        variant.placement[row].container = containerRow;
        variant.placement[static_cast<std::size_t>(containerRow)].scaled = container.pictureBox;
    }

    for (std::size_t container = 0; container < rows.size(); ++container) {
        if (IsSet(rows[container].included)) continue;
        std::vector<std::string> followers;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const ControlRow& r = rows[row];
            const bool moves = IsSet(r.moveH) || IsSet(r.sizeH) || IsSet(r.moveV) || IsSet(r.sizeV);
            if (IsSet(r.included) && moves && variant.placement[row].container == static_cast<int>(container))
                followers.push_back(r.controlRef);
        }
        if (followers.empty()) continue;
        std::string names = followers.front();
        for (std::size_t i = 1; i < followers.size(); ++i) names += (i + 1 == followers.size() ? " and " : ", ") + followers[i];
        err << "quenlow: note: " << rows[container].controlRef << " is not picked, so it keeps its size, and " << names
            << " in it " << (followers.size() == 1 ? "keeps its place" : "keep their places") << "\n";
    }
    return variant;
}

}  // namespace tolvane::cli
