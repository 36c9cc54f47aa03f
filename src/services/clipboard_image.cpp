#include "services/clipboard_image.h"

#include "core/shape_mask.h"
#include "services/copied_file.h"
#include "services/image_files.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/error.h"

#include <shlobj.h>

#include <cstring>
#include <span>
#include <vector>

namespace kelpix {

namespace {

// Lays the rows of `copy` that the image's shape cuts on white: only those are read and written
// again, so that rounded corners cost a few rows, not the whole image.
void WhitenOutsideShape(HDC screen, HBITMAP copy, const CapturedImage& image) {
    const int width = image.size.cx, height = image.size.cy;
    for (const core::RowBand& band : core::RowsCutByShape(image.shapeMask, width)) {
        const int rows = band.bottom - band.top;
        core::PixelImage pixels{width, rows, 32, std::vector<uint8_t>(size_t{4} * width * rows), {}};
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        // Scan lines count from the bottom row up.
        const auto firstLine = static_cast<UINT>(height - band.bottom), lines = static_cast<UINT>(rows);
        if (GetDIBits(screen, copy, firstLine, lines, pixels.bits.data(), &info, DIB_RGB_COLORS) != rows)
            throw Error(Texts().imageReadFailed);
        const auto cut = std::span(image.shapeMask).subspan(size_t{1} * band.top * width, pixels.bits.size() / 4);
        pixels = core::BlendOntoWhite(std::move(pixels), cut);
        SetDIBits(screen, copy, firstLine, lines, pixels.bits.data(), &info, DIB_RGB_COLORS);
    }
}

// A copy of the image's pixels, compatible with the screen; outside the window's shape, white.
Bitmap CopyOf(const CapturedImage& image) {
    WindowDc screen;
    Bitmap copy(CreateCompatibleBitmap(screen.get(), image.size.cx, image.size.cy));
    if (!copy) throw Error(Texts().outOfMemory);
    {
        MemoryDc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
        SelectGuard keepFrom(from.get(), image.bitmap.get()), keepTo(to.get(), copy.get());
        BitBlt(to.get(), 0, 0, image.size.cx, image.size.cy, from.get(), 0, 0, SRCCOPY);
    }
    if (!image.shapeMask.empty()) WhitenOutsideShape(screen.get(), copy.get(), image);
    return copy;
}

} // namespace

ClipboardImage::~ClipboardImage() {
    // Destroying the owner makes the system ask for what is still owed (WM_RENDERALLFORMATS):
    // here, while the object can still answer.
    if (Handle()) DestroyWindow(Handle());
}

UINT ClipboardImage::PngFormat() {
    static const UINT format = RegisterClipboardFormatW(L"PNG");
    return format;
}

UINT ClipboardImage::DropEffectFormat() {
    static const UINT format = RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT);
    return format;
}

void ClipboardImage::Copy(SharedImage image, const std::wstring& file) {
    // The clipboard's owner is made for the first copy: the program's start does without it.
    if (!Handle()) CreateWindowObject(0, L"KelpixClipboard", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    ClipboardSession clipboard(Handle());
    if (!clipboard.IsOpen()) throw Error(Texts().clipboardOpenFailed);
    // A clipboard that cannot be emptied or will not take the image fails the copy as one that
    // cannot be opened does. Emptying it lets go of what was owed before (WM_DESTROYCLIPBOARD).
    if (!EmptyClipboard()) throw Error(Texts().clipboardOpenFailed);
    if (!image || !image->bitmap) return;
    // Both formats are offered with no data and made when a program asks, so that a capture costs
    // no second copy of its pixels. An offer without data succeeds with no handle back: only the
    // error code tells a refusal.
    SetLastError(ERROR_SUCCESS);
    if (!Platform().setClipboardData(CF_BITMAP, nullptr) && GetLastError() != ERROR_SUCCESS)
        throw Error(Texts().clipboardOpenFailed);
    pending_ = std::move(image);
    // The DIB and the PNG tell the DPI the window was seen at, so that a paste has its size.
    Platform().setClipboardData(CF_DIB, nullptr);
    Platform().setClipboardData(PngFormat(), nullptr);
    if (!file.empty()) OfferFile(file);
}

void ClipboardImage::OfferFile(const std::wstring& file) {
    // After the image's formats, so that a program that takes the first one it knows still pastes
    // the picture. The file is to be copied, never moved away.
    const DWORD copy = DROPEFFECT_COPY;
    GlobalMemory list = FileListOf(file), effect = GlobalCopyOf({reinterpret_cast<const uint8_t*>(&copy), sizeof copy});
    if (!list || !effect) throw Error(Texts().outOfMemory);
    if (!Platform().setClipboardData(CF_HDROP, list.get())) throw Error(Texts().clipboardOpenFailed);
    list.release();
    if (Platform().setClipboardData(DropEffectFormat(), effect.get())) effect.release();
}

void ClipboardImage::RenderBitmap() {
    if (!pending_) return;
    try {
        Bitmap copy = CopyOf(*pending_);
        if (Platform().setClipboardData(CF_BITMAP, copy.get())) copy.release();
    } catch (...) {
        // As for the PNG: the paste gets nothing, and says so itself.
    }
}

void ClipboardImage::RenderDib() {
    if (!pending_) return;
    try {
        GlobalMemory memory = GlobalCopyOf(PackedDibOf(*pending_));
        if (memory && Platform().setClipboardData(CF_DIB, memory.get())) memory.release();
    } catch (...) {
        // As for the PNG.
    }
}

void ClipboardImage::RenderPng() {
    if (!pending_) return;
    try {
        GlobalMemory memory = GlobalCopyOf(PngOf(*pending_));
        if (memory && Platform().setClipboardData(PngFormat(), memory.get())) memory.release();
    } catch (...) {
        // The bitmap stays usable; a paste is no moment for an error box.
    }
}

LRESULT ClipboardImage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_RENDERFORMAT:
        if (static_cast<UINT>(wParam) == CF_BITMAP) RenderBitmap();
        if (static_cast<UINT>(wParam) == CF_DIB) RenderDib();
        if (static_cast<UINT>(wParam) == PngFormat()) RenderPng();
        return 0;
    case WM_RENDERALLFORMATS: {
        // Only while the clipboard is still ours and the image still owed.
        ClipboardSession clipboard(Handle());
        if (clipboard.IsOpen() && GetClipboardOwner() == Handle()) {
            RenderBitmap();
            RenderDib();
            RenderPng();
        }
        pending_.reset();
        return 0;
    }
    case WM_DESTROYCLIPBOARD:
        pending_.reset();
        return 0;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
