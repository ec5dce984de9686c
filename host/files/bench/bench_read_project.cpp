// Reading speed of a project from disk: the .vbp and every form read, parsed and served
// through the host, and every form's controls listed as the add-in lists them, against a
// plain read of the same files in the same run. Not a test; prints figures.
//
//   python3 host/files/bench/make_big_project.py /tmp/bigproject
//   build/host/files/bench_read_project /tmp/bigproject/Big.vbp [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "host/Listing.h"
#include "host/files/ProjectFiles.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace files = tolvane::host::files;

// Every regular file below the project's folder, each read whole.
std::size_t PlainRead(const std::vector<std::filesystem::path>& paths) {
    std::size_t bytes = 0;
    std::vector<char> buffer;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        buffer.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        bytes += buffer.size();
    }
    return bytes;
}

std::size_t ReadAndList(const std::filesystem::path& vbp, std::size_t& forms) {
    auto host = files::OpenProject(vbp).host;
    auto components = host->ActiveVBProject()->VBComponents();
    std::size_t rows = 0;
    forms = 0;
    for (int i = 1; i <= components->Count(); ++i) {
        auto component = components->Item(i);
        if (component->Type() != tolvane::host::VBForm) continue;
        ++forms;
        tolvane::host::ListFormControls(*component->Designer(), [&](const tolvane::host::ListedControl&) {
            ++rows;
            return true;
        });
    }
    return rows;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_read_project PROJECT.vbp [RUNS]\n");
        return 2;
    }
    const std::filesystem::path vbp = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    try {
        std::vector<std::filesystem::path> paths;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(vbp.parent_path().empty() ? "." : vbp.parent_path()))
            if (entry.is_regular_file()) paths.push_back(entry.path());

        double plainBest = 1e9, readBest = 1e9;
        std::size_t bytes = 0, rows = 0, forms = 0;
        for (int run = 0; run < runs; ++run) {  // interleaved, best of each: the cache is warm for both
            auto start = Clock::now();
            bytes = PlainRead(paths);
            plainBest = std::min(plainBest, Seconds(Clock::now() - start));
            start = Clock::now();
            rows = ReadAndList(vbp, forms);
            readBest = std::min(readBest, Seconds(Clock::now() - start));
        }
        const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
        std::printf("project: %zu files, %.2f MB, %zu forms, %zu controls listed (best of %d runs)\n", paths.size(), mb,
                    forms, rows, runs);
        std::printf("plain read of the same bytes:        %8.1f MB/s (%.4f s)\n", mb / plainBest, plainBest);
        std::printf("read + parse + serve + list (forms): %8.1f MB/s (%.4f s)\n", mb / readBest, readBest);
        std::printf("ratio read+parse+list / plain read:  %8.2f\n", readBest / plainBest);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_read_project: %s\n", error.what());
        return 1;
    }
}
