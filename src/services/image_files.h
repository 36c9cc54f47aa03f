// Saving the last image as a BMP, JPEG or PNG file through the save dialog.
#pragma once
#include <windows.h>

#include "core/pixel_image.h"

#include <optional>
#include <string>

namespace kelpix {

// The formats the program writes, numbered as the save dialog's entries.
enum class ImageFormat : int32_t { Bitmap = 1, Jpeg = 2, Png = 3 };
// The format of a save dialog entry, as the settings keep it too: 1 BMP, 3 PNG, any other JPEG.
ImageFormat FormatOfEntry(int32_t entry);
// ".bmp", ".jpg", ".png"
const wchar_t* ExtensionOf(ImageFormat format);

// The pixels of a bitmap at its own depth (bits per pixel times planes), bottom row first, with the
// colour table at 8 bits or less. No bitmap, or one without pixels, gives an empty image.
core::PixelImage ReadImagePixels(HBITMAP bitmap);

// Writes the image as a new file `target`, written beside it first and then put in place, never
// replacing anything: false when the name is taken (nothing is left behind then). Any other
// failure raises the error to show.
bool WriteNewImageFile(const std::wstring& target, ImageFormat format, HBITMAP image);

// What the save dialog keeps from one use to the next.
struct SaveDialogMemory {
    DWORD filterIndex = 1; // 1 bitmap, 2 JPEG, 3 PNG
    std::wstring fileName; // the name last chosen, shown pre-filled
};

// Asks for a file name (opening in `folder`, when there is one) and writes the image there in the
// format of the chosen entry, whatever extension was typed. Returns the folder of the chosen name,
// or nothing when the dialog was cancelled. A failure raises the error to show; an existing file
// is then left as it was and nothing new is left behind.
std::optional<std::wstring> SaveImageAs(HWND owner, HBITMAP image, const std::wstring& folder,
                                        SaveDialogMemory& memory);

} // namespace kelpix
