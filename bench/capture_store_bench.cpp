// Keeping a 3840 x 2160 32-bit capture of screen-like content (bench/screen_capture.h) among the
// recent captures, with and without its photos:
//
//   BM_Compress    CompressedImage::Compress; the counter kept_bytes is what the capture then holds
//   BM_Restore     CompressedImage::Restore, the new image's memory included
//
// A table of row filters and zlib levels follows, the measurements behind the choice (each row's
// difference from the row before, level 1), each the least processor time of three runs (the
// machine may be shared).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include <zlib.h>

#include <benchmark/benchmark.h>

#include "core/compressed_image.h"
#include "screen_capture.h"

namespace {

using kelpix::core::CompressedImage;
using kelpix::core::PixelImage;

const PixelImage& Capture(bool withPhotos) {
    static const PixelImage withThem = kelpix::bench::MakeScreenCapture(true);
    static const PixelImage withoutThem = kelpix::bench::MakeScreenCapture(false);
    return withPhotos ? withThem : withoutThem;
}

void BM_Compress(benchmark::State& state) {
    const PixelImage& capture = Capture(state.range(0) != 0);
    size_t bytes = 0;
    for (auto _ : state) {
        const CompressedImage kept = CompressedImage::Compress(capture);
        bytes = kept.bytes();
        benchmark::DoNotOptimize(&kept);
    }
    state.counters["kept_bytes"] = static_cast<double>(bytes);
    state.counters["kept_share"] = static_cast<double>(bytes) / static_cast<double>(capture.bits.size());
}

void BM_Restore(benchmark::State& state) {
    const PixelImage& capture = Capture(state.range(0) != 0);
    const CompressedImage kept = CompressedImage::Compress(capture);
    for (auto _ : state) {
        const kelpix::core::ShapedImage restored = kept.Restore();
        benchmark::DoNotOptimize(restored.image.bits.data());
    }
}

enum class Filter { None, Up, Left };

const char* Name(Filter filter) {
    return filter == Filter::None ? "none" : filter == Filter::Up ? "row before" : "pixel before";
}

// The rows through a filter, then deflated at a level; the compressed size.
size_t Deflate(const PixelImage& image, Filter filter, int level) {
    const size_t stride = static_cast<size_t>(image.width) * 4;
    z_stream stream{};
    deflateInit(&stream, level);
    std::vector<uint8_t> out(deflateBound(&stream, image.bits.size())), row(stride);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    for (size_t offset = 0; offset < image.bits.size(); offset += stride) {
        const uint8_t* in = image.bits.data() + offset;
        const uint8_t* before = offset == 0 ? nullptr : in - stride;
        for (size_t i = 0; i < stride; ++i) {
            const int predicted = filter == Filter::Up     ? (before != nullptr ? before[i] : 0)
                                  : filter == Filter::Left ? (i >= 4 ? in[i - 4] : 0)
                                                           : 0;
            row[i] = static_cast<uint8_t>(in[i] - predicted);
        }
        stream.next_in = row.data();
        stream.avail_in = static_cast<uInt>(stride);
        deflate(&stream, offset + stride == image.bits.size() ? Z_FINISH : Z_NO_FLUSH);
    }
    const size_t bytes = stream.total_out;
    deflateEnd(&stream);
    return bytes;
}

void PrintSettingsTable(const char* title, const PixelImage& image) {
    std::printf("\n%s, %zu bytes:\n%-14s %-6s %10s %10s %8s\n", title, image.bits.size(), "filter", "level", "ms",
                "bytes", "share");
    for (Filter filter : {Filter::None, Filter::Up, Filter::Left}) {
        for (int level : {1, 2, 3, 6}) {
            double best = 1e30;
            size_t bytes = 0;
            for (int run = 0; run < 3; ++run) {
                const std::clock_t start = std::clock();
                bytes = Deflate(image, filter, level);
                best = std::min(best, 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
            }
            const bool chosen = filter == Filter::Up && level == kelpix::core::kKeptCaptureZlibLevel;
            std::printf("%-14s %-6d %10.1f %10zu %7.2f%%%s\n", Name(filter), level, best, bytes,
                        100.0 * static_cast<double>(bytes) / static_cast<double>(image.bits.size()),
                        chosen ? "   <- CompressedImage" : "");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    for (auto* b : {benchmark::RegisterBenchmark("BM_Compress", BM_Compress),
                    benchmark::RegisterBenchmark("BM_Restore", BM_Restore)}) {
        b->ArgName("photos")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1)->Repetitions(5);
        b->ReportAggregatesOnly(true);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Capture(true); // build the test images before any timing
    Capture(false);
    benchmark::RunSpecifiedBenchmarks();
    PrintSettingsTable("The capture", Capture(true));
    PrintSettingsTable("The capture without its photos", Capture(false));
    benchmark::Shutdown();
    return 0;
}
