// kelpix_resgen OUTDIR: writes the generated resources of the program into OUTDIR.
//   kelpix.ico     application icon "MAINICON": 32, 24, 20 and 16 pixels, 4 bits per pixel
//   target.ico     target icon of the main window and drag cursor: 32, 48 and 64 pixels, 24-bit colour
//   countdown.bmp  the 99 countdown images side by side, 1584 x 16, 24-bit, no mask
// The output depends on nothing but the program's own drawing rules, so every run writes the same bytes.

#include "core/icons.h"
#include "core/resource_files.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace kelpix::core;

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelpix_resgen OUTDIR\n");
        return 2;
    }
    try {
        const fs::path dir = argv[1];
        fs::create_directories(dir);

        const std::vector<IconEntry> main_icon{
            {MainIcon(32), IconDepth::Palette4},
            {MainIcon(24), IconDepth::Palette4},
            {MainIcon(20), IconDepth::Palette4},
            {MainIcon(16), IconDepth::Palette4},
        };
        WriteFile(dir / "kelpix.ico", EncodeIcoFile(main_icon));

        const std::vector<IconEntry> target_icon{
            {TargetIcon(32), IconDepth::Rgb24}, {TargetIcon(48), IconDepth::Rgb24}, {TargetIcon(64), IconDepth::Rgb24}};
        WriteFile(dir / "target.ico", EncodeIcoFile(target_icon));

        WriteFile(dir / "countdown.bmp", EncodeBmp24File(CountdownStrip()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelpix_resgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
