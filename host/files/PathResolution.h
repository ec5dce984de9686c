// Paths in a .vbp resolved as Windows resolves them, on any system: '\' and '/' both
// separate, each component is matched as written and else ignoring letter case, and a
// path from a drive's root or a network share is followed only where it can be (Windows).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::host::files::detail {

struct Resolution {
    enum class Outcome { Found, NotFound, Ambiguous };
    Outcome outcome = Outcome::NotFound;
    std::filesystem::path file;  // when found
    std::string problem;         // otherwise: "file not found", "more than one file matches ..."
};

// Finds the file `path` (UTF-8) names, relative to `folder`.
Resolution Resolve(const std::filesystem::path& folder, std::string_view path);

}  // namespace tolvane::host::files::detail
