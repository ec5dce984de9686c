// Paths in a .vbp resolved as Windows resolves them, on any system: '\' and '/' both
// separate, each component is matched as written and else ignoring letter case, and a
// path from a drive's root or a network share is followed only where it can be (Windows).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::host::files::detail {

struct Resolution {
    enum class Outcome { Found, NotFound, Ambiguous };
    Outcome outcome = Outcome::NotFound;
    std::filesystem::path file;  // when found
    std::string problem;         // otherwise: "file not found", "more than one file matches ..."
};

// The folders a project's paths pass through, each listed once: the entries of a folder by
// their names with letter case folded. Without it every path that is not written exactly as
// on disk lists its folders again.
class FolderIndex {
public:
    // The entries of `folder` whose names fold to `folded`.
    const std::vector<std::filesystem::path>& Matching(const std::filesystem::path& folder, const std::string& folded);

private:
    std::map<std::filesystem::path, std::unordered_map<std::string, std::vector<std::filesystem::path>>> folders_;
};

// Finds the file `path` (UTF-8) names, relative to `folder`; `index`, when given, keeps the
// folders listed for the next path.
Resolution Resolve(const std::filesystem::path& folder, std::string_view path, FolderIndex* index = nullptr);

}  // namespace tolvane::host::files::detail
