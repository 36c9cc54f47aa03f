// Saving a 3840 x 2160 32-bit capture of screen-like content.
//
// JPEG: EncodeJpeg against three references that make the same file (quality 92, float DCT):
//   rows_from_ppm_file  cjpeg -dct float -quality 92 done in this process: libjpeg's calls as cjpeg
//                       makes them, each row read with fread from a PPM file of the same pixels
//   rows_in_memory      the same calls fed straight from a ready RGB buffer: libjpeg's work alone
//   cjpeg process       the cjpeg program itself, when installed
// BMP: EncodeBmp plus writing the file, the headers plus the rows written straight from the image,
// and the latter as the program saves (a new file flushed to the disk, then renamed over the old
// one), each against a plain write of as many bytes.
//
// Every case is repeated; the ratios at the end compare medians. Goals: JPEG at most 1.1 x against
// cjpeg, BMP at most 1.5 x against the plain write.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "cjpeg_reference.h"
#include "core/bmp_writer.h"
#include "core/jpeg_writer.h"
#include "screen_capture.h"

namespace {

using kelpix::core::PixelImage;

constexpr int kWidth = kelpix::bench::kCaptureWidth;
constexpr int kHeight = kelpix::bench::kCaptureHeight;
constexpr int kRepetitions = 5;

const PixelImage& Capture() {
    static const PixelImage capture = kelpix::bench::MakeScreenCapture();
    return capture;
}

// The capture as cjpeg gets it from a PPM file: RGB rows, top row first.
const std::vector<uint8_t>& CaptureRgb() {
    static const std::vector<uint8_t> rgb = [] {
        const PixelImage& image = Capture();
        std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight * 3);
        for (int y = 0; y < kHeight; ++y) {
            const uint8_t* src = image.bits.data() + static_cast<size_t>(kHeight - 1 - y) * kWidth * 4;
            uint8_t* dst = out.data() + static_cast<size_t>(y) * kWidth * 3;
            for (int x = 0; x < kWidth; ++x) {
                dst[3 * x] = src[4 * x + 2], dst[3 * x + 1] = src[4 * x + 1], dst[3 * x + 2] = src[4 * x];
            }
        }
        return out;
    }();
    return rgb;
}

void BM_JpegKelpix(benchmark::State& state) {
    const PixelImage& image = Capture();
    size_t bytes = 0;
    for (auto _ : state) {
        std::vector<uint8_t> file = kelpix::core::EncodeJpeg(image);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
}

// Where the reference encode takes its rows from.
enum class RowSource {
    Memory,  // straight from an RGB buffer, no copy: the codec's work alone
    PpmFile, // read with fread from a PPM file, one row at a time, as cjpeg's PPM reader does
};

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() / (std::string("kelpix_bench_") + name);
}

void WriteFile(const std::filesystem::path& path, const std::vector<const std::vector<uint8_t>*>& pieces) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    for (const std::vector<uint8_t>* piece : pieces) {
        if (!piece->empty() && std::fwrite(piece->data(), 1, piece->size(), file) != piece->size()) std::abort();
    }
    if (std::fclose(file) != 0) std::abort();
}

const std::filesystem::path& CapturePpm() {
    static const std::filesystem::path ppm = [] {
        const std::filesystem::path path = TempFile("capture.ppm");
        const std::string header = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
        const std::vector<uint8_t> headerBytes(header.begin(), header.end());
        WriteFile(path, {&headerBytes, &CaptureRgb()});
        return path;
    }();
    return ppm;
}

// cjpeg's calls for -dct float -quality 92 (cjpeg_reference.h).
void BM_JpegReference(benchmark::State& state, RowSource source) {
    const std::vector<uint8_t>& rgb = CaptureRgb();
    const size_t rowBytes = static_cast<size_t>(kWidth) * 3;
    std::vector<uint8_t> row(rowBytes);
    unsigned long bytes = 0;
    for (auto _ : state) {
        std::FILE* ppm = nullptr;
        if (source == RowSource::PpmFile) {
            ppm = std::fopen(CapturePpm().c_str(), "rb");
            int width = 0, height = 0, maxval = 0;
            if (ppm == nullptr || std::fscanf(ppm, "P6 %d %d %d", &width, &height, &maxval) != 3 ||
                std::fgetc(ppm) != '\n') {
                std::abort();
            }
        }
        kelpix::test::CjpegFloat92(
            kWidth, kHeight,
            [&](JDIMENSION y) -> JSAMPROW {
                if (ppm == nullptr) return const_cast<uint8_t*>(rgb.data()) + static_cast<size_t>(y) * rowBytes;
                if (std::fread(row.data(), 1, rowBytes, ppm) != rowBytes) std::abort();
                return row.data();
            },
            [&](const unsigned char* out, unsigned long size) {
                bytes = size;
                benchmark::DoNotOptimize(out);
            });
        if (ppm != nullptr) std::fclose(ppm);
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
}

// The cjpeg program on a PPM file of the same pixels; process start and file reading included.
void BM_JpegCjpegProcess(benchmark::State& state) {
    if (std::system("command -v cjpeg >/dev/null 2>&1") != 0) {
        state.SkipWithError("cjpeg is not installed");
        return;
    }
    const std::filesystem::path& ppm = CapturePpm();
    const std::filesystem::path jpg = TempFile("capture.jpg");
    const std::string command = "cjpeg -dct float -quality 92 -outfile '" + jpg.string() + "' '" + ppm.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) std::abort();
    }
    state.counters["jpeg_bytes"] = static_cast<double>(std::filesystem::file_size(jpg));
    std::filesystem::remove(jpg);
}

void BM_BmpEncodeAndWrite(benchmark::State& state) {
    const PixelImage& image = Capture();
    const std::filesystem::path path = TempFile("capture.bmp");
    for (auto _ : state) {
        const std::vector<uint8_t> file = kelpix::core::EncodeBmp(image);
        WriteFile(path, {&file});
    }
    std::filesystem::remove(path);
}

// The way a file writer saves a BMP: the headers, then the pixel rows straight from the image.
void BM_BmpHeadersAndWrite(benchmark::State& state) {
    const PixelImage& image = Capture();
    const std::filesystem::path path = TempFile("capture_parts.bmp");
    for (auto _ : state) {
        const std::optional<kelpix::core::BmpHeaders> headers = kelpix::core::MakeBmpHeaders(image);
        const std::vector<uint8_t> fileHeader(headers->fileHeader.begin(), headers->fileHeader.end());
        const std::vector<uint8_t> infoHeader(headers->infoHeader.begin(), headers->infoHeader.end());
        WriteFile(path, {&fileHeader, &infoHeader, &headers->colorTable, &image.bits});
    }
    std::filesystem::remove(path);
}

// The way the program saves: the headers and rows into a new file beside the target, flushed to
// the disk, then renamed over the target.
void BM_BmpSafeReplace(benchmark::State& state) {
    const PixelImage& image = Capture();
    const std::filesystem::path path = TempFile("capture_safe.bmp");
    const std::filesystem::path temp = TempFile("capture_safe.tmp");
    for (auto _ : state) {
        const std::optional<kelpix::core::BmpHeaders> headers = kelpix::core::MakeBmpHeaders(image);
        std::FILE* file = std::fopen(temp.c_str(), "wb");
        if (file == nullptr) std::abort();
        for (const auto& [data, size] : {std::pair{headers->fileHeader.data(), headers->fileHeader.size()},
                                         std::pair{headers->infoHeader.data(), headers->infoHeader.size()},
                                         std::pair{headers->colorTable.data(), headers->colorTable.size()},
                                         std::pair{image.bits.data(), image.bits.size()}}) {
            if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
        }
        if (std::fflush(file) != 0 || fsync(fileno(file)) != 0 || std::fclose(file) != 0) std::abort();
        std::filesystem::rename(temp, path);
    }
    std::filesystem::remove(path);
}

void BM_PlainWrite(benchmark::State& state) {
    const std::vector<uint8_t> bytes(
        kelpix::core::kBmpFileHeaderSize + kelpix::core::kBmpInfoHeaderSize + Capture().bits.size(), 0x42);
    const std::filesystem::path path = TempFile("plain.bin");
    for (auto _ : state)
        WriteFile(path, {&bytes});
    std::filesystem::remove(path);
}

// Every case runs kRepetitions times for at least `seconds`; the ratios compare the medians.
benchmark::internal::Benchmark* Timed(benchmark::internal::Benchmark* b, double seconds) {
    return b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(seconds)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
}

void RegisterAll() {
    Timed(benchmark::RegisterBenchmark("BM_JpegKelpix", BM_JpegKelpix), 3);
    Timed(benchmark::RegisterBenchmark("BM_JpegReference/rows_in_memory", BM_JpegReference, RowSource::Memory), 3);
    Timed(benchmark::RegisterBenchmark("BM_JpegReference/rows_from_ppm_file", BM_JpegReference, RowSource::PpmFile), 3);
    Timed(benchmark::RegisterBenchmark("BM_JpegCjpegProcess", BM_JpegCjpegProcess), 3);
    Timed(benchmark::RegisterBenchmark("BM_BmpEncodeAndWrite", BM_BmpEncodeAndWrite), 2);
    Timed(benchmark::RegisterBenchmark("BM_BmpHeadersAndWrite", BM_BmpHeadersAndWrite), 2);
    Timed(benchmark::RegisterBenchmark("BM_BmpSafeReplace", BM_BmpSafeReplace), 2);
    Timed(benchmark::RegisterBenchmark("BM_PlainWrite", BM_PlainWrite), 2);
}

// Shows the usual table and keeps the time per iteration of each benchmark for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred) {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
    }
    std::map<std::string, double> times;
};

void PrintRatio(const RatioReporter& reporter, const char* what, const char* mine, const char* reference, double goal) {
    const auto a = reporter.times.find(mine), b = reporter.times.find(reference);
    if (a == reporter.times.end() || b == reporter.times.end()) return;
    const double ratio = a->second / b->second;
    std::printf("%-48s median %8.2f ms / %8.2f ms = %.3f x (goal <= %.1f x: %s)\n", what, a->second, b->second, ratio,
                goal, ratio <= goal ? "met" : "missed");
}

} // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Capture(); // build the test image before any timing
    CaptureRgb();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    PrintRatio(reporter, "JPEG vs cjpeg's calls, rows read from PPM file", "BM_JpegKelpix",
               "BM_JpegReference/rows_from_ppm_file", 1.1);
    PrintRatio(reporter, "JPEG vs the codec alone on ready RGB rows", "BM_JpegKelpix",
               "BM_JpegReference/rows_in_memory", 1.1);
    PrintRatio(reporter, "JPEG vs the cjpeg process", "BM_JpegKelpix", "BM_JpegCjpegProcess", 1.1);
    PrintRatio(reporter, "BMP encoded in memory + written vs plain write", "BM_BmpEncodeAndWrite", "BM_PlainWrite",
               1.5);
    PrintRatio(reporter, "BMP headers + rows written vs plain write", "BM_BmpHeadersAndWrite", "BM_PlainWrite", 1.5);
    PrintRatio(reporter, "BMP as saved (new file, flushed, renamed)", "BM_BmpSafeReplace", "BM_PlainWrite", 1.5);
    std::filesystem::remove(TempFile("capture.ppm"));
    benchmark::Shutdown();
    return 0;
}
