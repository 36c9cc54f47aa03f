#include "services/captured_image.h"

namespace kelpix {

core::CaptureFacts CaptureFactsOf(HWND captured) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    core::CaptureFacts facts{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, {}, {}, 0};
    if (HWND top = captured ? GetAncestor(captured, GA_ROOT) : nullptr) {
        // Read without a message to the window: a program that hangs must not hold the capture.
        wchar_t title[512] = {};
        facts.title.assign(title, static_cast<size_t>(InternalGetWindowText(top, title, 512)));
        DWORD process = 0;
        GetWindowThreadProcessId(top, &process);
        KernelHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (opened && QueryFullProcessImageNameW(opened.get(), 0, path, &size)) {
            const std::wstring_view full(path, size);
            facts.program = std::wstring(full.substr(full.find_last_of(L"\\/") + 1));
        }
    }
    return facts;
}

CapturedImage BlankImage(SIZE size) {
    CapturedImage image;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    image.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image.bitmap) return image;
    image.size = size;
    image.pixels = static_cast<uint8_t*>(bits);
    return image;
}

std::optional<const uint8_t*> PixelsInPlace(const CapturedImage& image) {
    if (!image.bitmap || !image.pixels) return {};
    return image.pixels;
}

} // namespace kelpix
