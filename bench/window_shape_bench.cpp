// The shape mask of a 3840 x 2160 capture, against copying the capture's 32-bit pixels once:
//
//   BM_ShapeSquare        a window Windows leaves square: no mask
//   BM_ShapeRounded       Windows 11's rounded corners at 192 DPI
//   BM_ShapeOvalRegion    a window region of one rectangle a row, an oval
//   BM_CopyCapture        one copy of the capture's pixels, for scale
#include <cmath>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "core/window_shape.h"

namespace {

using kelpix::core::Rect;
using kelpix::core::WindowShapeFacts;

constexpr int32_t kWidth = 3840, kHeight = 2160;

WindowShapeFacts RoundedWindow() {
    WindowShapeFacts facts;
    facts.area = facts.visible = {0, 0, kWidth, kHeight};
    facts.dpi = 192;
    facts.build = 22631;
    facts.composition = true;
    return facts;
}

void BM_ShapeSquare(benchmark::State& state) {
    WindowShapeFacts facts = RoundedWindow();
    facts.maximized = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(kelpix::core::WindowShapeMask(facts));
}

void BM_ShapeRounded(benchmark::State& state) {
    const WindowShapeFacts facts = RoundedWindow();
    for (auto _ : state)
        benchmark::DoNotOptimize(kelpix::core::WindowShapeMask(facts));
}

void BM_ShapeOvalRegion(benchmark::State& state) {
    WindowShapeFacts facts = RoundedWindow();
    std::vector<Rect> oval;
    for (int32_t y = 0; y < kHeight; ++y) {
        const double t = (y + 0.5) / kHeight * 2 - 1;
        const int32_t half = static_cast<int32_t>(kWidth / 2 * std::sqrt(1 - t * t));
        oval.push_back({kWidth / 2 - half, y, kWidth / 2 + half, y + 1});
    }
    facts.region = oval;
    for (auto _ : state)
        benchmark::DoNotOptimize(kelpix::core::WindowShapeMask(facts));
}

void BM_CopyCapture(benchmark::State& state) {
    const std::vector<uint32_t> capture(size_t{kWidth} * kHeight, 0x00336699);
    for (auto _ : state) {
        std::vector<uint32_t> copy(capture.size());
        std::memcpy(copy.data(), capture.data(), capture.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(copy.data());
    }
}

BENCHMARK(BM_ShapeSquare);
BENCHMARK(BM_ShapeRounded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapeOvalRegion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyCapture)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
