// Helpers for the file-reading tests: a scratch folder and compact views of parsed trees.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/Listing.h"
#include "host/files/ProjectFiles.h"
#include "host/files/Text.h"
#include "vb/Names.h"

namespace tolvane::host::files::testing {

// A fresh folder under the system temp folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("tolvane-files-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Writes `bytes` as they are to a UTF-8 relative path, creating folders.
    std::filesystem::path Write(const std::string& relativeUtf8, const std::string& bytes) const {
        const auto file = path_ / PathFromUtf8(relativeUtf8);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file;
    }

private:
    std::filesystem::path path_;
};

// "Name" or "Name(3)", children in brackets: "fra[txtA,txtB]".
inline std::string Tree(const std::vector<memory::ControlData>& controls) {
    std::string out;
    for (const auto& control : controls) {
        if (!out.empty()) out += ",";
        out += control.name;
        if (control.index >= 0) out += "(" + std::to_string(control.index) + ")";
        if (!control.children.empty()) out += "[" + Tree(control.children) + "]";
    }
    return out;
}

// LF line ends to CR LF.
inline std::string Crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
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

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::filesystem::path SourceDir() { return PathFromUtf8(TOLVANE_SOURCE_DIR); }
inline std::filesystem::path Fixture(const std::string& name) {
    return SourceDir() / "tests" / "host_files" / "fixtures" / name;
}

}  // namespace tolvane::host::files::testing
