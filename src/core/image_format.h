// The image formats the program writes: the number each has in the settings file and in the save
// dialog's list of types, its extension, and its name in the options dialog's list.
#pragma once

#include <array>
#include <cstdint>

namespace kelpix::core {

// The numbers are the settings file's (AutoSaveFormat) and the save dialog's entries (from 1).
enum class ImageFormat : int32_t { Bitmap = 1, Jpeg = 2, Png = 3 };

struct ImageFormatRow {
    ImageFormat format;
    const wchar_t* extension;  // with its dot
    const wchar_t* choiceName; // in the options dialog's list
};

// In the order the options dialog lists them: PNG first, the best for screen images.
inline constexpr std::array<ImageFormatRow, 3> kImageFormats = {{
    {ImageFormat::Png, L".png", L"PNG"},
    {ImageFormat::Jpeg, L".jpg", L"JPEG"},
    {ImageFormat::Bitmap, L".bmp", L"BMP"},
}};

// The format of a save dialog entry or a stored number; any number but 1 and 3 is JPEG, as the
// program has always read it.
constexpr ImageFormat FormatNumbered(int32_t number) {
    return number == 1 ? ImageFormat::Bitmap : number == 3 ? ImageFormat::Png : ImageFormat::Jpeg;
}

constexpr const ImageFormatRow& RowOf(ImageFormat format) {
    for (const ImageFormatRow& row : kImageFormats)
        if (row.format == format) return row;
    return kImageFormats[0];
}

constexpr const wchar_t* ExtensionOf(ImageFormat format) {
    return RowOf(format).extension;
}

} // namespace kelpix::core
