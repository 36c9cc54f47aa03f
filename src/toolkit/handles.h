// Move-only owners for the handles the forms use. Each wrapper releases its handle exactly once.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <utility>

namespace kelpix {

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Handle{}));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Handle{}; }
    Handle release() { return std::exchange(h_, Handle{}); }
    void reset(Handle h = Handle{}) {
        if (h_ != Handle{}) Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_{};
};

struct BitmapTraits {
    using Handle = HBITMAP;
    static void Close(Handle h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static void Close(Handle h) { DeleteDC(h); }
};
struct IconTraits {
    using Handle = HICON;
    static void Close(Handle h) { DestroyIcon(h); }
};
struct KernelHandleTraits {
    using Handle = HANDLE;
    static void Close(Handle h) { CloseHandle(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static void Close(Handle h) { DestroyWindow(h); }
};
struct MappedViewTraits {
    using Handle = void*;
    static void Close(Handle h) { UnmapViewOfFile(h); }
};
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static void Close(Handle h) { GlobalFree(h); }
};
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static void Close(Handle h) { ImageList_Destroy(h); }
};

using Bitmap = UniqueHandle<BitmapTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using Icon = UniqueHandle<IconTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using MappedView = UniqueHandle<MappedViewTraits>;
using WindowHandle = UniqueHandle<WindowTraits>; // a window this thread made and destroys
using ImageList = UniqueHandle<ImageListTraits>;
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// Movable memory holding a copy of the bytes, for the clipboard or a drop; none without memory for it.
inline GlobalMemory GlobalCopyOf(std::span<const uint8_t> bytes) {
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    void* data = memory ? GlobalLock(memory.get()) : nullptr;
    if (!data) return {};
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(memory.get());
    return memory;
}

// A device context from GetDC, released with ReleaseDC on the same window (NULL for the screen).
class WindowDc {
public:
    explicit WindowDc(HWND wnd = nullptr) : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a DC for a scope and puts the previous one back, so nothing still
// selected is ever deleted.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectGuard() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The clipboard, open for the lifetime of the object.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

} // namespace kelpix
