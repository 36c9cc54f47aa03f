#include "services/window_facts.h"

#include "services/platform.h"
#include "toolkit/application.h"
#include "toolkit/handles.h"

#include <vector>

namespace kelpix {

namespace {

constexpr DWORD kCornerPreference = 33; // DWMWA_WINDOW_CORNER_PREFERENCE

core::Rect Moved(core::Rect r, POINT by) {
    return {r.left - by.x, r.top - by.y, r.right - by.x, r.bottom - by.y};
}

// The window's region as rectangles in window coordinates; nothing when it has none.
std::optional<std::vector<core::Rect>> RegionOf(HWND window) {
    struct Region {
        HRGN handle;
        ~Region() { DeleteObject(handle); }
    } region{CreateRectRgn(0, 0, 0, 0)};
    const int kind = GetWindowRgn(window, region.handle);
    if (kind != SIMPLEREGION && kind != COMPLEXREGION) return std::nullopt;
    const DWORD size = GetRegionData(region.handle, 0, nullptr);
    std::vector<uint8_t> bytes(size);
    auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
    if (size == 0 || GetRegionData(region.handle, size, data) != size) return std::nullopt;
    std::vector<core::Rect> rects;
    const auto* rect = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        rects.push_back(RectOf(rect[i]));
    return rects;
}

// The window's DPI: its own where the system tells it (Windows 10), else that of the monitor it is on.
uint32_t DpiOf(HWND window, const core::Rect& captured) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0) return dpi;
    return static_cast<uint32_t>(
        Application::Get().MonitorDpi({(captured.left + captured.right) / 2, (captured.top + captured.bottom) / 2}));
}

bool Arranged(HWND window) {
    using IsWindowArrangedFn = BOOL(WINAPI*)(HWND);
    static const auto isArranged = reinterpret_cast<IsWindowArrangedFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "IsWindowArranged")));
    return isArranged && isArranged(window);
}

} // namespace

core::WindowShapeFacts ShapeFactsOf(HWND window, const core::Rect& captured) {
    core::WindowShapeFacts facts;
    RECT whole{};
    if (!GetWindowRect(window, &whole)) return facts;
    const POINT origin{whole.left, whole.top};
    facts.area = Moved(captured, origin);
    facts.visible = Moved(VisibleBounds(window), origin);
    facts.region = RegionOf(window);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    facts.childControl = (style & WS_CHILD) != 0;
    facts.framed = (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) != 0;
    facts.maximized = IsZoomed(window) != FALSE;
    facts.arranged = Arranged(window);
    facts.remoteSession = GetSystemMetrics(SM_REMOTESESSION) != 0;
    facts.composition = CompositorRuns();
    facts.build = Platform().windowsBuild();
    facts.dpi = DpiOf(window, captured);
    DWORD corners = 0;
    if (auto attribute = Platform().windowAttribute;
        attribute && SUCCEEDED(attribute(window, kCornerPreference, &corners, sizeof corners)))
        facts.corners = static_cast<core::CornerPreference>(corners);
    return facts;
}

} // namespace kelpix
