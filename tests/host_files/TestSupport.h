// Helpers for the file-reading tests: fixtures and compact views of parsed trees.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/Listing.h"
#include "host/files/ProjectFiles.h"
#include "host/files/Text.h"
#include "tests/support/Files.h"
#include "vb/Names.h"

namespace tolvane::host::files::testing {

using tolvane::testing::Crlf;
using tolvane::testing::ReadBytes;
using tolvane::testing::TempDir;

// "Name" or "Name(3)", children in brackets: "fra[txtA,txtB]".
inline std::string Tree(const std::vector<memory::ControlData>& controls) {
    std::string out;
    for (const auto& control : controls) {
        if (!out.empty()) out += ",";
        out += vb::ControlReference(control.name, control.index);
        if (!control.children.empty()) out += "[" + Tree(control.children) + "]";
    }
    return out;
}

// The listing of a form as "depth:ref" lines.
inline std::vector<std::string> Listing(Root& root, const std::string& form) {
    std::vector<std::string> rows;
    ListFormControls(root, form, [&](const ListedControl& row) {
        rows.push_back(std::to_string(row.depth) + ":" + row.controlRef);
        return true;
    });
    return rows;
}

inline std::filesystem::path Fixture(const std::string& name) {
    return tolvane::testing::SourcePath("tests/host_files/fixtures/" + name);
}

}  // namespace tolvane::host::files::testing
