#include "services/image_files.h"

#include "core/bmp_writer.h"
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
#include <initializer_list>
#include <span>
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

// True unless `path` names something that exists and may not be written: a read-only file, a
// folder, a file another program has open or that the user may not change. Opening it for writing
// and closing it again changes nothing.
bool MayReplace(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    HANDLE existing = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return false;
    CloseHandle(existing);
    return true;
}

// Creates a new file beside `target` under a name of its own (never longer than the target's) and
// returns its path; `opened` receives the handle.
std::wstring CreateTemporaryFile(const std::wstring& target, HANDLE& opened) {
    const uint32_t first = GetTickCount();
    for (uint32_t i = 0; i < core::kTemporaryNames; ++i) {
        std::wstring path = core::TemporaryFileName(target, first + i);
        opened = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened != INVALID_HANDLE_VALUE) return path;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    throw FormatError(Texts().cannotCreateFileFormat, {target});
}

// Puts the written file `temp` in the place of `target`. An existing file is replaced in place,
// which keeps what it had besides its content: attributes, security, its identity. Where that
// cannot work the new file is moved there, with the old file's attributes: when there is no file
// there yet, on a file system that cannot replace, and whenever the replacement fails in another
// way. Without a backup file a failed replacement has left the old file either unchanged or
// removed (the new one keeping its own name), and the move is right in both cases; a file that
// is in use makes the move fail too. (Wine moves the old file aside under a temporary name of its
// own that does not fit the path limit in a folder of 250 characters or more, and fails there.)
bool PutInPlace(const std::wstring& temp, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(temp.c_str(), attributes);
        if (ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr))
            return true;
    }
    return MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// How the written file takes the target's name.
enum class Placing { Replace, NeverReplace };

// Writes the pieces one after the other as the file `target`. They go to a new file in the same
// folder first, which replaces the target only once every byte is written, so a failure leaves an
// existing file as it was and nothing new behind. NeverReplace: false when the name is taken.
bool WriteWholeFile(const std::wstring& target, FilePieces pieces, Placing placing = Placing::Replace) {
    HANDLE opened = INVALID_HANDLE_VALUE;
    TemporaryFile temp(CreateTemporaryFile(target, opened));
    {
        KernelHandle file(opened);
        for (std::span<const uint8_t> piece : pieces) {
            while (!piece.empty()) {
                const DWORD wanted = static_cast<DWORD>(std::min(piece.size(), kLargestWrite));
                DWORD written = 0;
                if (!WriteFile(file.get(), piece.data(), wanted, &written, nullptr) || written != wanted)
                    throw Error(Texts().streamWriteError);
                piece = piece.subspan(wanted);
            }
        }
        // On the disk before it takes the old file's place.
        if (!FlushFileBuffers(file.get())) throw Error(Texts().streamWriteError);
    }
    if (placing == Placing::NeverReplace) {
        if (!MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
            throw FormatError(Texts().cannotCreateFileFormat, {target});
        }
        temp.Keep();
        return true;
    }
    // Renaming over a file can succeed where writing to it would not (a read-only file on some
    // systems); only a file the program could write is replaced.
    if (!MayReplace(target) || !PutInPlace(temp.Path(), target))
        throw FormatError(Texts().cannotCreateFileFormat, {target});
    temp.Keep();
    return true;
}

// The image as a file of the format: an uncompressed BMP at the image's own depth, a baseline JPEG
// at quality 92 or an 8-bit RGB PNG, encoded completely before the file is touched. An empty image
// makes an empty file.
bool SaveImage(const std::wstring& target, ImageFormat format, const core::PixelImage& image, Placing placing) {
    if (format == ImageFormat::Bitmap) {
        const std::optional<core::BmpHeaders> headers = core::MakeBmpHeaders(image);
        if (!headers) return WriteWholeFile(target, {}, placing);
        return WriteWholeFile(target, {headers->fileHeader, headers->infoHeader, headers->colorTable, image.bits},
                              placing);
    }
    std::vector<uint8_t> data;
    try {
        data = format == ImageFormat::Jpeg ? core::EncodeJpeg(image) : core::EncodePng(image);
    } catch (const core::JpegError& e) {
        throw FormatError(Texts().jpegErrorFormat, {std::to_wstring(e.code())});
    } catch (const core::PngError& e) {
        throw FormatError(Texts().pngErrorFormat, {FromUtf8(e.what())});
    }
    return WriteWholeFile(target, {data}, placing);
}

} // namespace

ImageFormat FormatOfEntry(int32_t entry) {
    return entry == 1 ? ImageFormat::Bitmap : entry == 3 ? ImageFormat::Png : ImageFormat::Jpeg;
}

const wchar_t* ExtensionOf(ImageFormat format) {
    return format == ImageFormat::Bitmap ? L".bmp" : format == ImageFormat::Png ? L".png" : L".jpg";
}

bool WriteNewImageFile(const std::wstring& target, ImageFormat format, HBITMAP image) {
    return SaveImage(target, format, ReadImagePixels(image), Placing::NeverReplace);
}

std::optional<std::wstring> SaveImageAs(HWND owner, HBITMAP image, const std::wstring& folder,
                                        SaveDialogMemory& memory) {
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
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    bool chose;
    {
        Application::ModalScope modal;
        chose = Platform().getSaveFileName(&dialog) != FALSE;
    }
    if (!chose) return std::nullopt;

    const std::wstring chosen = fileName;
    memory.fileName = chosen;
    memory.filterIndex = dialog.nFilterIndex;
    const ImageFormat format = FormatOfEntry(static_cast<int32_t>(dialog.nFilterIndex));
    SaveImage(core::ChangeFileExt(chosen, ExtensionOf(format)), format, ReadImagePixels(image), Placing::Replace);
    return core::ExtractFilePath(chosen);
}

} // namespace kelpix
