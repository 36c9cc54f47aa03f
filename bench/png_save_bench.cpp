// Saving a 3840 x 2160 32-bit capture of screen-like content as PNG (bench/screen_capture.h).
//
//   BM_PngKelpix            EncodePng on the capture, its row conversion included
//   BM_PngKelpixShaped      the same with a shape mask, rounded corners of radius 12 (8 pixels at
//                           150 %): an RGBA file, whose cost should be the RGB file's plus the fourth
//                           channel's
//   BM_PngLibpngDefaults    libpng at its default settings (zlib level 6, every row tried with every
//                           filter, the Z_FILTERED strategy) fed from ready red-green-blue rows
//   BM_PngConvertProcess    ImageMagick's convert from a PPM file of the same pixels, when installed
//
// The ratios at the end compare medians and file sizes. Goal: at most half the time of libpng's
// defaults at no more than 1.15 x the size. A table of zlib levels and filter choices follows, the
// measurements behind the encoder's settings, each the least processor time of three runs (the
// machine may be shared), and the same table for the capture without its photos, the user
// interface alone.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <png.h>
#include <zlib.h>

#include <benchmark/benchmark.h>

#include "core/png_writer.h"
#include "screen_capture.h"

namespace {

using kelpix::core::PixelImage;

constexpr int kRepetitions = 5;

// The capture as red-green-blue rows, top row first.
std::vector<uint8_t> RgbRows(const PixelImage& image) {
    std::vector<uint8_t> out(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* src = image.bits.data() + static_cast<size_t>(image.height - 1 - y) * image.width * 4;
        uint8_t* dst = out.data() + static_cast<size_t>(y) * image.width * 3;
        for (int x = 0; x < image.width; ++x)
            dst[3 * x] = src[4 * x + 2], dst[3 * x + 1] = src[4 * x + 1], dst[3 * x + 2] = src[4 * x];
    }
    return out;
}

const PixelImage& Capture() {
    static const PixelImage capture = kelpix::bench::MakeScreenCapture();
    return capture;
}

const std::vector<uint8_t>& CaptureRgb() {
    static const std::vector<uint8_t> rgb = RgbRows(Capture());
    return rgb;
}

// The capture as one window with anti-aliased rounded corners: the share of each pixel inside,
// from 4 x 4 samples.
const std::vector<uint8_t>& RoundedCornerMask() {
    static const std::vector<uint8_t> mask = [] {
        constexpr int kRadius = 12;
        const int width = Capture().width, height = Capture().height;
        std::vector<uint8_t> inside(static_cast<size_t>(width) * height, 255);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int cx = x < kRadius ? kRadius : x >= width - kRadius ? width - kRadius : -1;
                const int cy = y < kRadius ? kRadius : y >= height - kRadius ? height - kRadius : -1;
                if (cx < 0 || cy < 0) continue;
                int samples = 0;
                for (int sy = 0; sy < 4; ++sy) {
                    for (int sx = 0; sx < 4; ++sx) {
                        const double dx = x + (sx + 0.5) / 4 - cx, dy = y + (sy + 0.5) / 4 - cy;
                        samples += dx * dx + dy * dy <= kRadius * kRadius;
                    }
                }
                inside[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(samples * 255 / 16);
            }
        }
        return inside;
    }();
    return mask;
}

void Append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// How the rows' filters are chosen.
enum class Filters {
    LibpngDefault, // libpng tries every filter on every row
    Sampled,       // ChoosePngFilter, as EncodePng does
    UpOnly,
    NoneOnly,
};

const char* Name(Filters filters) {
    switch (filters) {
    case Filters::LibpngDefault:
        return "libpng, all filters";
    case Filters::Sampled:
        return "sampled choice";
    case Filters::UpOnly:
        return "up only";
    default:
        return "none only";
    }
}

// A PNG file of the rows; level and strategy -1 keep libpng's defaults.
std::vector<uint8_t> EncodeRgb(const std::vector<uint8_t>& rgb, int width, int height, int level, int strategy,
                               Filters filters) {
    std::vector<uint8_t> file;
    file.reserve(rgb.size() / 4);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) std::abort();
    png_set_write_fn(png, &file, Append, NoFlush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (level >= 0) png_set_compression_level(png, level);
    if (strategy >= 0) png_set_compression_strategy(png, strategy);
    if (filters == Filters::UpOnly) png_set_filter(png, 0, PNG_FILTER_UP);
    if (filters == Filters::NoneOnly) png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rgb.data() + y * rowBytes;
        if (filters == Filters::Sampled && y > 0) {
            const auto chosen = kelpix::core::ChoosePngFilter({row, rowBytes}, {row - rowBytes, rowBytes});
            png_set_filter(png, 0, PNG_FILTER_NONE << static_cast<int>(chosen));
        }
        png_write_row(png, const_cast<uint8_t*>(row));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

void BM_PngKelpix(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> file = kelpix::core::EncodePng(Capture());
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}

void BM_PngKelpixShaped(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> file = kelpix::core::EncodePng(Capture(), {.shapeMask = RoundedCornerMask()});
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}

void BM_PngLibpngDefaults(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t> file =
            EncodeRgb(CaptureRgb(), Capture().width, Capture().height, -1, -1, Filters::LibpngDefault);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() / (std::string("kelpix_png_bench_") + name);
}

// ImageMagick's convert on a PPM file of the same pixels; process start and file reading included.
void BM_PngConvertProcess(benchmark::State& state) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) {
        state.SkipWithError("ImageMagick is not installed");
        return;
    }
    const std::filesystem::path ppm = TempFile("capture.ppm"), png = TempFile("capture.png");
    {
        std::FILE* file = std::fopen(ppm.c_str(), "wb");
        std::fprintf(file, "P6\n%d %d\n255\n", Capture().width, Capture().height);
        std::fwrite(CaptureRgb().data(), 1, CaptureRgb().size(), file);
        std::fclose(file);
    }
    const std::string command = "convert '" + ppm.string() + "' '" + png.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) std::abort();
    }
    state.counters["png_bytes"] = static_cast<double>(std::filesystem::file_size(png));
    std::filesystem::remove(ppm);
    std::filesystem::remove(png);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
                const auto bytes = run.counters.find("png_bytes");
                if (bytes != run.counters.end()) sizes[run.run_name.function_name] = bytes->second;
            }
        }
    }
    std::map<std::string, double> times, cpuTimes, sizes;
};

void PrintRatios(const RatioReporter& r, const char* mine, const char* reference, bool withGoal) {
    if (!r.times.count(mine) || !r.times.count(reference)) return;
    const double time = r.times.at(mine) / r.times.at(reference);
    const double size = r.sizes.at(mine) / r.sizes.at(reference);
    std::printf("%-22s vs %-22s time %7.1f / %7.1f ms = %.3f x   size %8.0f / %8.0f bytes = %.3f x", mine, reference,
                r.times.at(mine), r.times.at(reference), time, r.sizes.at(mine), r.sizes.at(reference), size);
    if (withGoal) {
        std::printf("   (goal <= 0.5 x and <= 1.15 x: %s; processor time %.3f x)",
                    time <= 0.5 && size <= 1.15 ? "met" : "missed", r.cpuTimes.at(mine) / r.cpuTimes.at(reference));
    }
    std::printf("\n");
}

// Levels and filter choices on one picture, against libpng's defaults on it.
void PrintSettingsTable(const char* title, const PixelImage& image) {
    const std::vector<uint8_t> rgb = RgbRows(image);
    const auto bestOfThree = [&](int level, int strategy, Filters filters, size_t* bytes) {
        double best = 1e30;
        for (int run = 0; run < 3; ++run) {
            const auto start = std::chrono::steady_clock::now();
            *bytes = EncodeRgb(rgb, image.width, image.height, level, strategy, filters).size();
            best = std::min(
                best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    };
    size_t baseBytes = 0;
    const double baseTime = bestOfThree(-1, -1, Filters::LibpngDefault, &baseBytes);
    std::printf("\n%s: libpng's defaults %.1f ms, %zu bytes\n", title, baseTime, baseBytes);
    std::printf("%-7s %-20s %-10s %10s %10s %8s %8s\n", "level", "filters", "strategy", "ms", "bytes", "time", "size");
    for (int level : {1, 2, 3, 4, 5, 6}) {
        for (Filters filters : {Filters::LibpngDefault, Filters::Sampled, Filters::UpOnly, Filters::NoneOnly}) {
            for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE}) {
                if (strategy == Z_RLE && level != 1) continue;     // the strategy ignores the level
                if (strategy == Z_FILTERED && level < 4) continue; // the same as the default below level 4
                size_t bytes = 0;
                const double ms = bestOfThree(level, strategy, filters, &bytes);
                const char* strategyName = strategy == Z_DEFAULT_STRATEGY ? "default"
                                           : strategy == Z_FILTERED       ? "filtered"
                                                                          : "rle";
                std::printf("%-7d %-20s %-10s %10.1f %10zu %8.3f %8.3f%s\n", level, Name(filters), strategyName, ms,
                            bytes, ms / baseTime, static_cast<double>(bytes) / baseBytes,
                            level == kelpix::core::kPngZlibLevel && filters == Filters::Sampled &&
                                    strategy == Z_DEFAULT_STRATEGY
                                ? "   <- EncodePng"
                                : "");
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const auto timed = [](benchmark::internal::Benchmark* b, double seconds) {
        b->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(seconds)
            ->Repetitions(kRepetitions)
            ->ReportAggregatesOnly(true);
    };
    timed(benchmark::RegisterBenchmark("BM_PngKelpix", BM_PngKelpix), 2);
    timed(benchmark::RegisterBenchmark("BM_PngKelpixShaped", BM_PngKelpixShaped), 2);
    timed(benchmark::RegisterBenchmark("BM_PngLibpngDefaults", BM_PngLibpngDefaults), 2);
    timed(benchmark::RegisterBenchmark("BM_PngConvertProcess", BM_PngConvertProcess), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CaptureRgb(); // build the test image and the mask before any timing
    RoundedCornerMask();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    PrintRatios(reporter, "BM_PngKelpix", "BM_PngLibpngDefaults", true);
    PrintRatios(reporter, "BM_PngKelpixShaped", "BM_PngKelpix", false);
    PrintRatios(reporter, "BM_PngKelpix", "BM_PngConvertProcess", false);
    PrintRatios(reporter, "BM_PngConvertProcess", "BM_PngLibpngDefaults", false);

    PrintSettingsTable("The capture", Capture());
    PrintSettingsTable("The capture without its photos", kelpix::bench::MakeScreenCapture(false));
    benchmark::Shutdown();
    return 0;
}
