#include "services/clipboard_image.h"

#include "core/png_writer.h"
#include "services/copied_file.h"
#include "services/image_files.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/error.h"

#include <shlobj.h>

#include <cstring>

namespace kelpix {

namespace {

// A copy of the bitmap's pixels, compatible with the screen.
Bitmap CopyOf(HBITMAP bitmap, SIZE size) {
    WindowDc screen;
    Bitmap copy(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    if (!copy) throw Error(Texts().outOfMemory);
    MemoryDc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    SelectGuard keepFrom(from.get(), bitmap), keepTo(to.get(), copy.get());
    BitBlt(to.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, SRCCOPY);
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
    Platform().setClipboardData(PngFormat(), nullptr);
    if (!file.empty()) OfferFile(file);
}

void ClipboardImage::OfferFile(const std::wstring& file) {
    // After the image's formats, so that a program that takes the first one it knows still pastes
    // the picture. The file is to be copied, never moved away.
    GlobalMemory list = FileListOf(file), effect(GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD)));
    auto* copy = effect ? static_cast<DWORD*>(GlobalLock(effect.get())) : nullptr;
    if (!list || !copy) throw Error(Texts().outOfMemory);
    *copy = DROPEFFECT_COPY;
    GlobalUnlock(effect.get());
    if (!Platform().setClipboardData(CF_HDROP, list.get())) throw Error(Texts().clipboardOpenFailed);
    list.release();
    if (Platform().setClipboardData(DropEffectFormat(), effect.get())) effect.release();
}

void ClipboardImage::RenderBitmap() {
    if (!pending_) return;
    try {
        Bitmap copy = CopyOf(pending_->bitmap.get(), pending_->size);
        if (Platform().setClipboardData(CF_BITMAP, copy.get())) copy.release();
    } catch (...) {
        // As for the PNG: the paste gets nothing, and says so itself.
    }
}

void ClipboardImage::RenderPng() {
    if (!pending_) return;
    try {
        const std::vector<uint8_t> png = core::EncodePng(ReadImagePixels(pending_->bitmap.get()));
        GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, png.size()));
        void* bytes = memory ? GlobalLock(memory.get()) : nullptr;
        if (!bytes) return;
        std::memcpy(bytes, png.data(), png.size());
        GlobalUnlock(memory.get());
        if (Platform().setClipboardData(PngFormat(), memory.get())) memory.release();
    } catch (...) {
        // The bitmap stays usable; a paste is no moment for an error box.
    }
}

LRESULT ClipboardImage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_RENDERFORMAT:
        if (static_cast<UINT>(wParam) == CF_BITMAP) RenderBitmap();
        if (static_cast<UINT>(wParam) == PngFormat()) RenderPng();
        return 0;
    case WM_RENDERALLFORMATS: {
        // Only while the clipboard is still ours and the image still owed.
        ClipboardSession clipboard(Handle());
        if (clipboard.IsOpen() && GetClipboardOwner() == Handle()) {
            RenderBitmap();
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
