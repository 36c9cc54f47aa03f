// Saving the last image as a BMP, JPEG or PNG file through the save dialog.
#pragma once
#include <windows.h>

#include "core/image_format.h"
#include "core/pixel_image.h"
#include "services/captured_image.h"
#include "toolkit/error.h"

#include <optional>
#include <string>
#include <vector>

namespace kelpix {

using core::ImageFormat;

// The pixels of a bitmap at its own depth (bits per pixel times planes), bottom row first, with the
// colour table at 8 bits or less. No bitmap, or one without pixels, gives an empty image.
core::PixelImage ReadImagePixels(HBITMAP bitmap);
// The same for an image: where BlankImage made it, its pixels copied as they lie, without GDI, so
// that any thread may read them while the image lives (after a GdiFlush on the thread that drew).
core::PixelImage ReadImagePixels(const CapturedImage& image);

// A file (or folder) that could not be written. Message() is what the program shows; a caller that
// words it otherwise (the command line) has the path that failed, the reason alone (the system's
// words for its error code, or the program's own) and the system's error code (ERROR_SUCCESS when
// the system reported none).
class FileError : public Error {
public:
    FileError(const Error& shown, std::wstring path, std::wstring reason, DWORD code = ERROR_SUCCESS)
        : Error(shown.Message()), path_(std::move(path)), reason_(std::move(reason)), code_(code) {}
    const std::wstring& Path() const { return path_; }
    const std::wstring& Reason() const { return reason_; }
    DWORD Code() const { return code_; }

private:
    std::wstring path_, reason_;
    DWORD code_;
};

// Writes the image as the file `target`, replacing a file of that name (the caller has asked). It is
// written beside the target first and put in place once every byte is on the disk: a failure leaves
// an existing file as it was and nothing new behind, except where the old file is gone and the new
// one is the only copy left, which is kept and named in the error. What the file system refused
// raises a FileError.
void SaveImageFile(const std::wstring& target, ImageFormat format, const CapturedImage& image);

// Writes the image as the new file `target`, never over a file: it is written beside the target and
// takes its name only where no file has it, even one made meanwhile (a FileError with
// ERROR_ALREADY_EXISTS or ERROR_FILE_EXISTS then, and nothing new is left behind).
void SaveNewImageFile(const std::wstring& target, ImageFormat format, const CapturedImage& image);

// Writes the image into `folder` (ending in "\") under the first free numbered name of `stem`
// (core::FirstFreeNumberedPath), never replacing a file: the folder is read once and the file
// written once. Returns its path. A failure raises the error to show (the system's reason when no
// name is free or none fits the path limit).
std::wstring SaveImageUnderFreeName(const std::wstring& folder, const std::wstring& stem, ImageFormat format,
                                    const CapturedImage& image);

// The image as the clipboard and a drop hand it over, with the DPI it was seen at: a packed DIB (its
// header, colour table and rows, white outside the window's shape) and a PNG (transparent there).
// No memory for them raises "メモリが不足しています", a PNG that cannot be made a core::PngError.
std::vector<uint8_t> PackedDibOf(const CapturedImage& image);
std::vector<uint8_t> PngOf(const CapturedImage& image);

// The system's words for an error code, without the line end it ends in.
std::wstring SystemMessage(DWORD error);

// What the save dialog keeps from one use to the next.
struct SaveDialogMemory {
    DWORD filterIndex = 1; // 1 bitmap, 2 JPEG, 3 PNG
    std::wstring fileName; // the name last chosen, shown pre-filled
};

// Asks for a file name (opening in `folder`, when there is one) and writes the image there in the
// format of the chosen entry, with that entry's extension whatever was typed. A file of that name is
// replaced only after a yes to a question naming it; a no goes back to the dialog. Returns the
// folder of the chosen name, or nothing when the dialog was cancelled. A failure raises the error to
// show; an existing file is then left as it was (see SaveImageFile).
std::optional<std::wstring> SaveImageAs(HWND owner, const CapturedImage& image, const std::wstring& folder,
                                        SaveDialogMemory& memory);

} // namespace kelpix
