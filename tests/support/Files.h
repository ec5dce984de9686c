// Files for portable tests: a scratch folder, whole-file reads, CR LF text and the paths of
// the source tree (TOLVANE_SOURCE_DIR, defined by tests/CMakeLists.txt).
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host/files/Text.h"

namespace tolvane::testing {

// A fresh folder under the system temp folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("tolvane-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
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
        const auto file = path_ / host::files::PathFromUtf8(relativeUtf8);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        return file;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// LF line ends to `lineEnd`; Crlf to CR LF, as VB writes its files.
inline std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += lineEnd;
        else out += c;
    }
    return out;
}
inline std::string Crlf(const std::string& text) { return WithLineEnds(text, "\r\n"); }

// A file or folder of the source tree, by its path from the root ("examples/Example.vbp").
inline std::filesystem::path SourcePath(const std::string& relative) {
    return host::files::PathFromUtf8(TOLVANE_SOURCE_DIR) / host::files::PathFromUtf8(relative);
}

// The bundled example project, as a command-line argument.
inline std::string ExampleProject() { return host::files::Utf8FromPath(SourcePath("examples/Example.vbp")); }

}  // namespace tolvane::testing
