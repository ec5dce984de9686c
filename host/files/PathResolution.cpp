#include "host/files/PathResolution.h"

#include <optional>
#include <system_error>

#include "host/files/Text.h"
#include "vb/Names.h"

namespace tolvane::host::files::detail {
namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

Resolution NotFound(std::string problem) { return Resolution{Resolution::Outcome::NotFound, {}, std::move(problem)}; }

// Where a rooted path starts, and what is left of it. Nothing when the path is relative.
// On other systems than Windows a rooted path cannot be followed: `problem` says why.
std::optional<fs::path> RootOf(const fs::path& folder, std::string_view& rest, std::string& problem) {
    const bool network = rest.size() >= 2 && IsSeparator(rest[0]) && IsSeparator(rest[1]);
    const bool drive = rest.size() >= 2 && rest[1] == ':' &&
                       ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'));
    const bool root = !network && !rest.empty() && IsSeparator(rest[0]);
    if (!network && !drive && !root) return std::nullopt;
#ifdef _WIN32
    (void)problem;
    if (drive) {
        const std::string letter(rest.substr(0, 2));
        rest.remove_prefix(2);
        return PathFromUtf8(letter + "/");
    }
    if (root) {
        rest.remove_prefix(1);
        std::error_code error;
        const fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, error);
        return error ? fs::path("/") : absolute.root_path();
    }
    // \\server\share\...: the share is the root; it cannot be listed, only entered.
    rest.remove_prefix(2);
    std::string share = "//";
    for (int part = 0; part < 2; ++part) {
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        share += std::string(rest.substr(0, end)) + "/";
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
    }
    return PathFromUtf8(share);
#else
    (void)folder;
    if (drive) problem = "a path on drive " + std::string(rest.substr(0, 2)) + " cannot be followed here";
    else if (network) problem = "a network path (\\\\server\\share) cannot be followed here";
    else problem = "a path from the root of a drive cannot be followed here";
    return fs::path();
#endif
}

// The entry of `folder` named `part`: as written, else the one entry whose name differs
// only in letter case.
Resolution FindEntry(const fs::path& folder, std::string_view part, FolderIndex& index) {
    std::error_code error;
    const fs::path exact = folder / PathFromUtf8(part);
    if (fs::exists(exact, error)) return Resolution{Resolution::Outcome::Found, exact, {}};
    const std::vector<fs::path>& names = index.Matching(folder, vb::FoldCase(part));
    if (names.empty()) return NotFound("file not found");
    if (names.size() > 1)
        return Resolution{Resolution::Outcome::Ambiguous, {},
                          "more than one file matches \"" + vb::PrintablePrefix(part) +
                              "\" when letter case is ignored: " + vb::Printable(DisplayPath(folder / names[0])) +
                              " and " + vb::Printable(DisplayPath(folder / names[1]))};
    return Resolution{Resolution::Outcome::Found, folder / names[0], {}};
}

}  // namespace

const std::vector<fs::path>& FolderIndex::Matching(const fs::path& folder, const std::string& folded) {
    auto [entry, added] = folders_.try_emplace(folder);
    if (added) {
        std::error_code error;
        fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            const fs::path name = it->path().filename();
            entry->second[vb::FoldCase(Utf8FromPath(name))].push_back(name);
        }
    }
    static const std::vector<fs::path> kNone;
    const auto found = entry->second.find(folded);
    return found == entry->second.end() ? kNone : found->second;
}

Resolution Resolve(const fs::path& folder, std::string_view path, FolderIndex* index) {
    FolderIndex own;
    FolderIndex& folders = index ? *index : own;
    std::string_view rest = path;
    std::string problem;
    fs::path current = folder;
    if (auto root = RootOf(folder, rest, problem)) {
        if (!problem.empty()) return NotFound(problem);
        current = *root;
    }
    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const std::string_view part = rest.substr(0, end);
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            current /= "..";
            continue;
        }
        Resolution entry = FindEntry(current, part, folders);
        if (entry.outcome != Resolution::Outcome::Found) return entry;
        current = std::move(entry.file);
    }
    std::error_code error;
    if (!fs::is_regular_file(current, error)) return NotFound("not a file");
    return Resolution{Resolution::Outcome::Found, current, {}};
}

}  // namespace tolvane::host::files::detail
