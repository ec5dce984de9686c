// Times GenerateResizeCode on a full model (50 included rows, all six options set) and
// compares it with a baseline measured in the same run: copying the same number of output
// bytes into three fresh strings. Prints the median time per call of both and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "model/ResizeCode.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double MedianNanoseconds(F&& body, int rounds, int callsPerRound) {
    std::vector<double> perCall;
    perCall.reserve(rounds);
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < callsPerRound; ++i) body();
        const auto elapsed = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        perCall.push_back(elapsed / callsPerRound);
    }
    std::nth_element(perCall.begin(), perCall.begin() + rounds / 2, perCall.end());
    return perCall[rounds / 2];
}

volatile std::size_t g_sink;  // keeps the optimiser from dropping the work

}  // namespace

int main() {
    tolvane::ResizeModel model;
    model.formName = "frmCustomerDetails";
    model.rows.resize(50);
    for (int i = 0; i < 50; ++i) {
        auto& row = model.rows[static_cast<std::size_t>(i)];
        row.controlRef = "Option1(" + std::to_string(i) + ")";
        row.included = row.moveH = row.sizeH = row.scaleH = row.moveV = row.sizeV = row.scaleV = 1;
    }

    const tolvane::GeneratedCode reference = tolvane::GenerateResizeCode(model);
    const std::size_t bytes = reference.declarations.size() + reference.onLoad.size() + reference.onResize.size();

    constexpr int kRounds = 51;
    constexpr int kCalls = 2000;
    const double generate = MedianNanoseconds(
        [&] {
            const auto code = tolvane::GenerateResizeCode(model);
            g_sink = code.declarations.size() + code.onLoad.size() + code.onResize.size();
        },
        kRounds, kCalls);
    const double copy = MedianNanoseconds(
        [&] {
            std::string a(reference.declarations.data(), reference.declarations.size());
            std::string b(reference.onLoad.data(), reference.onLoad.size());
            std::string c(reference.onResize.data(), reference.onResize.size());
            g_sink = a.size() + b.size() + c.size();
        },
        kRounds, kCalls);

    std::printf("output bytes per call        %zu\n", bytes);
    std::printf("GenerateResizeCode (median)  %.0f ns/call (%.1f MB/s)\n", generate, bytes / generate * 1e3);
    std::printf("copy baseline (median)       %.0f ns/call\n", copy);
    std::printf("ratio generate / copy        %.2f\n", generate / copy);
    return 0;
}
