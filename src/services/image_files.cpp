#include "services/image_files.h"

#include "core/auto_save_names.h"
#include "core/bmp_writer.h"
#include "core/shape_mask.h"
#include "core/file_names.h"
#include "core/jpeg_writer.h"
#include "core/pixel_image.h"
#include "core/png_writer.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/handles.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <span>
#include <unordered_set>
#include <vector>

namespace kelpix {

namespace {

constexpr DWORD kFileNameBufferSize = 260;
constexpr size_t kLargestWrite = size_t{1} << 30; // bytes per WriteFile call

} // namespace

core::PixelImage ReadImagePixels(HBITMAP bitmap) {
    core::PixelImage image;
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return image;

    int depth = info.bmBitsPixel * info.bmPlanes;
    if (!core::IsSupportedDepth(depth)) depth = 32;
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.bitsPerPixel = depth;
    image.bits.resize(static_cast<size_t>(core::DibImageSize(image)));

    // Room for the largest colour table; BI_RGB asks for plain pixels without colour masks (at 16
    // bits: 5 bits each for red, green and blue). A positive height gives the bottom row first.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } dib{};
    dib.header.biSize = sizeof dib.header;
    dib.header.biWidth = image.width;
    dib.header.biHeight = image.height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = static_cast<WORD>(depth);
    dib.header.biCompression = BI_RGB;
    // GetDIBits wants the bitmap selected nowhere, which the image view's bitmap is between paints.
    WindowDc screen;
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(image.height), image.bits.data(),
                  reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS) != image.height)
        throw Error(Texts().imageReadFailed);

    if (depth <= 8) {
        const DWORD most = DWORD{1} << depth;
        const DWORD used = dib.header.biClrUsed != 0 && dib.header.biClrUsed < most ? dib.header.biClrUsed : most;
        for (DWORD i = 0; i < used; ++i) {
            const RGBQUAD& c = dib.colours[i];
            image.palette.push_back((uint32_t{c.rgbRed} << 16) | (uint32_t{c.rgbGreen} << 8) | c.rgbBlue);
        }
    }
    return image;
}

core::PixelImage ReadImagePixels(const CapturedImage& image) {
    const std::optional<const uint8_t*> inPlace = PixelsInPlace(image);
    if (!inPlace) return ReadImagePixels(image.bitmap.get());
    core::PixelImage pixels{image.size.cx, image.size.cy, 32, {}, {}};
    pixels.bits.resize(static_cast<size_t>(core::DibImageSize(pixels)));
    // In place the top row comes first, in a PixelImage the bottom row.
    const size_t stride = size_t{4} * static_cast<size_t>(image.size.cx);
    const auto height = static_cast<size_t>(image.size.cy);
    for (size_t row = 0; row < height; ++row)
        std::memcpy(pixels.bits.data() + (height - 1 - row) * stride, *inPlace + row * stride, stride);
    return pixels;
}

namespace {

// A file that is removed again when the object ends, unless it was kept.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& Path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

using FilePieces = std::initializer_list<std::span<const uint8_t>>;

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The system's last error code, never ERROR_SUCCESS for a call that failed.
DWORD LastErrorOfFailure(DWORD otherwise = ERROR_ACCESS_DENIED) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : otherwise;
}

// The file `path` could not be made or written, for the reason the system's `code` gives.
[[noreturn]] void CannotCreate(const std::wstring& path, DWORD code) {
    throw FileError(FormatError(Texts().cannotCreateFileFormat, {path}), path, SystemMessage(code), code);
}

// ERROR_SUCCESS unless `path` names something that exists and may not be written: a read-only file
// or a folder (ERROR_ACCESS_DENIED, as the system says when asked to write either), a file another
// program has open or that the user may not change (the system's code). Opening it for writing and
// closing it again changes nothing.
DWORD ReplaceRefusal(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = LastErrorOfFailure();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return ERROR_ACCESS_DENIED;
    HANDLE existing = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return LastErrorOfFailure();
    CloseHandle(existing);
    return ERROR_SUCCESS;
}

// A file is there that the program could replace: a question must come first. (A folder, a
// read-only file or one held open elsewhere cannot be replaced: the save says so instead.)
bool IsReplaceableFile(const std::wstring& path) {
    return Exists(path) && ReplaceRefusal(path) == ERROR_SUCCESS;
}

// Creates a new file beside `target` under a name of its own (never longer than the target's) and
// returns its path; `opened` receives the handle.
std::wstring CreateTemporaryFile(const std::wstring& target, HANDLE& opened) {
    const uint32_t first = GetTickCount();
    DWORD error = ERROR_FILE_EXISTS;
    for (uint32_t i = 0; i < core::kTemporaryNames; ++i) {
        std::wstring path = core::TemporaryFileName(target, first + i);
        opened = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened != INVALID_HANDLE_VALUE) return path;
        error = LastErrorOfFailure();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    CannotCreate(target, error);
}

[[noreturn]] void CannotWrite(const std::wstring& target, DWORD code) {
    throw FileError(Error(Texts().streamWriteError), target, SystemMessage(code), code);
}

// The pieces, one after the other, in a new file beside `target`, on the disk: nothing is named
// `target` yet.
std::unique_ptr<TemporaryFile> WriteBeside(const std::wstring& target, FilePieces pieces) {
    HANDLE opened = INVALID_HANDLE_VALUE;
    auto temp = std::make_unique<TemporaryFile>(CreateTemporaryFile(target, opened));
    KernelHandle file(opened);
    for (std::span<const uint8_t> piece : pieces) {
        while (!piece.empty()) {
            const DWORD wanted = static_cast<DWORD>(std::min(piece.size(), kLargestWrite));
            DWORD written = 0;
            if (!WriteFile(file.get(), piece.data(), wanted, &written, nullptr))
                CannotWrite(target, LastErrorOfFailure());
            // A write cut short: the disk is full.
            if (written != wanted) CannotWrite(target, ERROR_HANDLE_DISK_FULL);
            piece = piece.subspan(wanted);
        }
    }
    // On the disk before it takes the old file's place.
    if (!FlushFileBuffers(file.get())) CannotWrite(target, LastErrorOfFailure());
    return temp;
}

// Puts the written file in the place of `target`. An existing file is replaced in place, which keeps
// what it had besides its content: attributes, security, its identity. Where that cannot work the
// new file is moved there, with the old file's attributes: when there is no file there yet, on a
// file system that cannot replace, and whenever the replacement fails in another way. (Wine moves
// the old file aside under a temporary name of its own that does not fit the path limit in a folder
// of 250 characters or more, and fails there.) A replacement that failed half way may have taken the
// old file away: the new one is then the only copy, and stays where it is, named in the error.
void PutInPlace(TemporaryFile& temp, const std::wstring& target) {
    const PlatformCalls& calls = Platform();
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(temp.Path().c_str(), attributes);
        if (calls.replaceFile(target.c_str(), temp.Path().c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr,
                              nullptr)) {
            temp.Keep();
            return;
        }
    }
    if (calls.moveFile(temp.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        temp.Keep();
        return;
    }
    const DWORD error = LastErrorOfFailure();
    if (attributes != INVALID_FILE_ATTRIBUTES && !Exists(target)) {
        const std::wstring kept = temp.Path();
        temp.Keep();
        const Error shown = FormatError(Texts().newFileKeptFormat, {target, kept});
        throw FileError(shown, target, shown.Message(), error);
    }
    CannotCreate(target, error);
}

// The bytes of an image file of the format: an uncompressed BMP at the image's own depth, a baseline
// JPEG at quality 92 or an 8-bit RGB PNG, encoded completely before any file is touched. An empty
// image makes an empty file. The image must outlive the object (a BMP's rows are the image's own).
class ImageFileBytes {
public:
    ImageFileBytes(ImageFormat format, const CapturedImage& image) : pixels_(ReadImagePixels(image.bitmap.get())) {
        // Only PNG can be transparent: elsewhere the outside of the window's shape is white.
        if (format != ImageFormat::Png && !image.shapeMask.empty())
            pixels_ = core::BlendOntoWhite(std::move(pixels_), image.shapeMask);
        if (format == ImageFormat::Bitmap) {
            headers_ = core::MakeBmpHeaders(pixels_, image.dpi);
            return;
        }
        try {
            data_ = format == ImageFormat::Jpeg ? core::EncodeJpeg(pixels_, image.dpi)
                                                : core::EncodePng(pixels_, {image.dpi, image.shapeMask});
        } catch (const core::JpegError& e) {
            throw FormatError(Texts().jpegErrorFormat, {std::to_wstring(e.code())});
        } catch (const core::PngError& e) {
            throw FormatError(Texts().pngErrorFormat, {FromUtf8(e.what())});
        }
    }
    std::unique_ptr<TemporaryFile> WriteBeside(const std::wstring& target) const {
        if (headers_)
            return kelpix::WriteBeside(
                target, {headers_->fileHeader, headers_->infoHeader, headers_->colorTable, pixels_.bits});
        return kelpix::WriteBeside(target, {data_});
    }

private:
    core::PixelImage pixels_;
    std::optional<core::BmpHeaders> headers_;
    std::vector<uint8_t> data_;
};

// The names in `folder` (ending in "\"), upper-cased as the file system compares them.
std::unordered_set<std::wstring> NamesIn(const std::wstring& folder) {
    std::unordered_set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search =
        FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
        names.insert(std::move(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

} // namespace

void SaveImageFile(const std::wstring& target, ImageFormat format, const CapturedImage& image) {
    const std::unique_ptr<TemporaryFile> temp = ImageFileBytes(format, image).WriteBeside(target);
    // Renaming over a file can succeed where writing to it would not (a read-only file on some
    // systems); only a file the program could write is replaced.
    if (const DWORD refused = ReplaceRefusal(target)) CannotCreate(target, refused);
    PutInPlace(*temp, target);
}

void SaveNewImageFile(const std::wstring& target, ImageFormat format, const CapturedImage& image) {
    const std::unique_ptr<TemporaryFile> temp = ImageFileBytes(format, image).WriteBeside(target);
    if (!Platform().moveFile(temp->Path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
        CannotCreate(target, LastErrorOfFailure());
    temp->Keep();
}

std::wstring SaveImageUnderFreeName(const std::wstring& folder, const std::wstring& stem, ImageFormat format,
                                    const CapturedImage& image) {
    const ImageFileBytes bytes(format, image);
    const std::unordered_set<std::wstring> taken = NamesIn(folder);
    const auto isTaken = [&](std::wstring_view name) {
        std::wstring upper(name);
        CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
        return taken.count(upper) != 0;
    };
    std::unique_ptr<TemporaryFile> temp;
    for (uint32_t attempt = 1;;) {
        core::NumberedChoice choice =
            core::FirstFreeNumberedPath(folder, stem, core::ExtensionOf(format), MAX_PATH - 1, isTaken, attempt);
        if (choice.path.empty()) {
            const DWORD code = choice.tooLong ? ERROR_FILENAME_EXCED_RANGE : ERROR_FILE_EXISTS;
            throw FileError(Error(SystemMessage(code)), folder, SystemMessage(code), code);
        }
        if (!temp) temp = bytes.WriteBeside(choice.path);
        // Never over a file: a name taken since the folder was read costs one more try.
        if (Platform().moveFile(temp->Path().c_str(), choice.path.c_str(), MOVEFILE_WRITE_THROUGH)) {
            temp->Keep();
            return choice.path;
        }
        const DWORD error = LastErrorOfFailure();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) CannotCreate(choice.path, error);
        attempt = choice.attempt + 1;
    }
}

std::vector<uint8_t> PackedDibOf(const CapturedImage& image) {
    core::PixelImage pixels = ReadImagePixels(image.bitmap.get());
    if (!image.shapeMask.empty()) pixels = core::BlendOntoWhite(std::move(pixels), image.shapeMask);
    const std::optional<core::BmpHeaders> headers = core::MakeBmpHeaders(pixels, image.dpi);
    if (!headers) throw Error(Texts().outOfMemory);
    std::vector<uint8_t> dib(headers->infoHeader.size() + headers->colorTable.size() + pixels.bits.size());
    uint8_t* at = dib.data();
    for (std::span<const uint8_t> piece :
         {std::span<const uint8_t>(headers->infoHeader), std::span<const uint8_t>(headers->colorTable),
          std::span<const uint8_t>(pixels.bits)}) {
        if (!piece.empty()) std::memcpy(at, piece.data(), piece.size());
        at += piece.size();
    }
    return dib;
}

std::vector<uint8_t> PngOf(const CapturedImage& image) {
    return core::EncodePng(ReadImagePixels(image.bitmap.get()), {image.dpi, image.shapeMask});
}

std::wstring SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : L"#" + std::to_wstring(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    return message;
}

namespace {

// The save dialog, asked for a name; nothing when it was cancelled.
std::optional<std::wstring> AskForName(HWND owner, const std::wstring& folder, SaveDialogMemory& memory) {
    const std::wstring filter = core::DialogFilter(Texts().saveFilter);
    wchar_t fileName[kFileNameBufferSize] = {};
    memory.fileName.copy(fileName, kFileNameBufferSize - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = memory.filterIndex;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kFileNameBufferSize;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = Texts().saveTitle;
    // The dialog's own question would be about the name as typed, not the file written: the
    // program asks itself, below.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    {
        Application::ModalScope modal;
        if (!Platform().getSaveFileName(&dialog)) return std::nullopt;
    }
    memory.fileName = fileName;
    memory.filterIndex = dialog.nFilterIndex;
    return memory.fileName;
}

} // namespace

std::optional<std::wstring> SaveImageAs(HWND owner, const CapturedImage& image, const std::wstring& folder,
                                        SaveDialogMemory& memory) {
    for (std::wstring opensIn = folder;;) {
        const std::optional<std::wstring> chosen = AskForName(owner, opensIn, memory);
        if (!chosen) return std::nullopt;
        // The entry decides the format and the extension, whatever was typed.
        const ImageFormat format = core::FormatNumbered(static_cast<int32_t>(memory.filterIndex));
        const std::wstring target = core::ChangeFileExt(*chosen, core::ExtensionOf(format));
        Application& app = Application::Get();
        // A "no" goes back to the dialog, as the system's own question does.
        if (IsReplaceableFile(target) &&
            app.ShowMessage(core::FillIn(Texts().replaceQuestionFormat, {target}).c_str(), app.Title().c_str(),
                            MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
            opensIn = core::ExtractFilePath(*chosen);
            continue;
        }
        SaveImageFile(target, format, image);
        return core::ExtractFilePath(*chosen);
    }
}

} // namespace kelpix
