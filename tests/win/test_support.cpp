#include "test_support.h"

#include "services/platform.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

#include <png.h>
#include <shlobj.h>

namespace kelpix::test {

namespace {

std::mutex g_textMutex;
std::atomic<int> g_answerersLiving{0};

// A visible dialog box of this process, or null.
HWND FindOwnDialogBox() {
    const DWORD pid = GetCurrentProcessId();
    for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if (owner == pid && IsWindowVisible(box)) return box;
    }
    return nullptr;
}

// The caption and the message text (a message box's static control has the id 0xFFFF) of a box,
// read with the wide functions, in UTF-8.
std::pair<std::string, std::string> DialogTexts(HWND box) {
    return {Utf8(WindowText(box)), Utf8(WindowText(GetDlgItem(box, 0xFFFF)))};
}

LRESULT CALLBACK ColourWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_ERASEBKGND) {
        auto colour = static_cast<COLORREF>(GetWindowLongPtrA(w, GWLP_USERDATA));
        RECT r{};
        GetClientRect(w, &r);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(reinterpret_cast<HDC>(wp), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcA(w, m, wp, lp);
}

constexpr UINT WM_RUN = WM_APP + 1;

LRESULT CALLBACK RunnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_RUN) {
        std::unique_ptr<std::function<void()>> f(reinterpret_cast<std::function<void()>*>(lp));
        (*f)();
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

} // namespace

void RunFromLoop(std::function<void()> f) {
    static HWND runner = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &RunnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KelpixTestRunner";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "KelpixTestRunner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }();
    PostMessageA(runner, WM_RUN, 0, reinterpret_cast<LPARAM>(new std::function<void()>(std::move(f))));
}

void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start >= timeoutMs) return pred();
        Pump(5);
    }
    return true;
}

Pixels ReadBitmap(HBITMAP bitmap) {
    Pixels p;
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return p;
    p.width = info.bmWidth;
    p.height = info.bmHeight;
    p.data.resize(static_cast<size_t>(p.width) * p.height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(p.height), p.data.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    for (auto& px : p.data)
        px &= 0xFFFFFF;
    return p;
}

Pixels ReadScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right - area.left, area.bottom - area.top);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Pixels p = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    return p;
}

void MouseTo(int x, int y) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    // Absolute positions run from 0 to 65535 over the primary screen.
    in.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    in.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

void MouseEvent(DWORD eventFlag) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = eventFlag;
    SendInput(1, &in, sizeof in);
}

void Type(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    auto add = [&](WORD key, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    for (WORD key : keys)
        add(key, 0);
    for (auto key = keys.end(); key != keys.begin();)
        add(*--key, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

bool LoopUntil(const std::function<bool()>& pred) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
        Application::Get().ProcessMessages();
        if (pred()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return pred();
}

namespace {

// Another program may hold the clipboard for a moment.
bool OpenClipboardWithin1s() {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}

} // namespace

Pixels ReadClipboardBitmap(int* formatCount) {
    Pixels p;
    if (!OpenClipboardWithin1s()) return p;
    if (formatCount) *formatCount = CountClipboardFormats();
    p = ReadBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    return p;
}

std::string ReadClipboardBytes(UINT format) {
    std::string bytes;
    if (!OpenClipboardWithin1s()) return bytes;
    HANDLE data = GetClipboardData(format);
    if (const auto* locked = data ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
        bytes.assign(locked, GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

Pixels ReadClipboardPng() {
    return DecodePng(ReadClipboardBytes(RegisterClipboardFormatW(L"PNG"))).pixels;
}

PngPicture DecodePng(std::string_view bytes) {
    PngPicture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (bytes.empty() || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return picture;
    picture.storesAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return picture;
    picture.pixels.width = static_cast<int>(image.width);
    picture.pixels.height = static_cast<int>(image.height);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        picture.pixels.data.push_back((uint32_t{rgba[i]} << 16) | (uint32_t{rgba[i + 1]} << 8) | rgba[i + 2]);
        picture.alpha.push_back(rgba[i + 3]);
    }
    return picture;
}

std::vector<std::wstring> ReadClipboardFiles() {
    std::vector<std::wstring> files;
    if (!OpenClipboardWithin1s()) return files;
    HANDLE data = GetClipboardData(CF_HDROP);
    if (const auto* list = data ? static_cast<const DROPFILES*>(GlobalLock(data)) : nullptr) {
        // Wide paths, each ending in a null, the list in a second one.
        for (auto* path = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(list) + list->pFiles);
             list->fWide && *path; path += files.back().size() + 1)
            files.emplace_back(path);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return files;
}

bool AllPixels(const Pixels& p, uint32_t colour) {
    return !p.data.empty() && std::all_of(p.data.begin(), p.data.end(), [&](uint32_t px) { return px == colour; });
}

namespace {

std::vector<NotifyIconRecorder::Call> g_notifyCalls;
std::set<std::pair<HWND, UINT>> g_iconsShown; // the icons the stand-in notification area holds
BOOL(WINAPI* g_realNotifyIcon)(DWORD, PNOTIFYICONDATAW) = nullptr;

BOOL WINAPI RecordNotifyIcon(DWORD message, PNOTIFYICONDATAW data) {
    NotifyIconRecorder::Call call{message, {}, {}, {}, GetTickCount()};
    std::memcpy(&call.data, data, std::min<size_t>(data->cbSize, sizeof call.data));
    ICONINFO info{};
    if (call.data.hIcon && GetIconInfo(call.data.hIcon, &info)) {
        call.colour = ReadBitmap(info.hbmColor);
        call.mask = ReadBitmap(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    g_notifyCalls.push_back(std::move(call));
    if (NotifyIconRecorder::failing) return FALSE;
    // As the shell does: an icon is added once, and only an icon that is there is changed or removed.
    const std::pair<HWND, UINT> icon{data->hWnd, data->uID};
    if (message == NIM_ADD) return g_iconsShown.insert(icon).second;
    if (message == NIM_DELETE) return g_iconsShown.erase(icon) != 0;
    return g_iconsShown.count(icon) != 0;
}

} // namespace

NotifyIconRecorder::NotifyIconRecorder() {
    g_notifyCalls.clear();
    g_iconsShown.clear();
    NotifyIconRecorder::failing = false;
    g_realNotifyIcon = std::exchange(kelpix::Platform().notifyIcon, &RecordNotifyIcon);
}

NotifyIconRecorder::~NotifyIconRecorder() {
    kelpix::Platform().notifyIcon = g_realNotifyIcon;
}

const std::vector<NotifyIconRecorder::Call>& NotifyIconRecorder::Calls() const {
    return g_notifyCalls;
}

std::vector<DWORD> NotifyIconRecorder::Messages() const {
    std::vector<DWORD> messages;
    for (const Call& call : g_notifyCalls)
        messages.push_back(call.message);
    return messages;
}

void NotifyIconRecorder::Clear() {
    g_notifyCalls.clear();
}

void NotifyIconRecorder::ForgetIcons() {
    g_iconsShown.clear();
}

size_t NotifyIconRecorder::IconsShown() const {
    return g_iconsShown.size();
}

ColourWindow::ColourWindow(RECT at, COLORREF colour) : colour_(colour) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, at, ready] {
        threadId_ = GetCurrentThreadId();
        static std::once_flag registered;
        std::call_once(registered, [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &ColourWindowProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "KelpixTestColour";
            RegisterClassA(&wc);
        });
        HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, "KelpixTestColour", "colour", WS_POPUP, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                                   nullptr);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, static_cast<LONG_PTR>(colour_.load()));
        InvalidateRect(wnd, nullptr, TRUE);
        ShowWindow(wnd, SW_SHOWNOACTIVATE);
        UpdateWindow(wnd);
        wnd_ = wnd;
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        DestroyWindow(wnd);
    });
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
}

ColourWindow::~ColourWindow() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void ColourWindow::SetColour(COLORREF colour) {
    colour_ = colour;
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
    RedrawWindow(wnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

namespace {

struct DrawnState {
    DrawnWindow::Kind kind;
    COLORREF left, right;
    std::atomic<bool>* asleep;
    unsigned frame = 0; // the animation's colour
};

void PaintDrawn(HWND w, HDC dc) {
    const auto* state = reinterpret_cast<const DrawnState*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    RECT r{};
    GetClientRect(w, &r);
    auto fill = [dc](RECT area, COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    };
    if (state->kind == DrawnWindow::Kind::Animated) {
        fill(r, DrawnWindow::kAnimationColours[state->frame % std::size(DrawnWindow::kAnimationColours)]);
        return;
    }
    const LONG middle = (r.left + r.right) / 2;
    fill({r.left, r.top, middle, r.bottom}, state->left);
    fill({middle, r.top, r.right, r.bottom}, state->right);
}

constexpr UINT WM_HANG = WM_APP + 7;
constexpr UINT_PTR kAnimationTimer = 1;

LRESULT CALLBACK DrawnWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<DrawnState*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    switch (m) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        if (state) PaintDrawn(w, dc);
        EndPaint(w, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        if (state && state->kind == DrawnWindow::Kind::HangsWhilePrinting) {
            *state->asleep = true;
            Sleep(DrawnWindow::kPrintHangMs);
            *state->asleep = false;
        }
        if (state && state->kind != DrawnWindow::Kind::HalvesOnScreenOnly) PaintDrawn(w, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_TIMER:
        if (state && wp == kAnimationTimer) {
            ++state->frame;
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        return 0;
    default:
        return DefWindowProcA(w, m, wp, lp);
    }
}

} // namespace

DrawnWindow::DrawnWindow(RECT at, Kind kind, COLORREF left, COLORREF right) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, at, kind, left, right, ready] {
        threadId_ = GetCurrentThreadId();
        static std::once_flag registered;
        std::call_once(registered, [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &DrawnWindowProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "KelpixTestDrawn";
            RegisterClassA(&wc);
        });
        DrawnState state{kind, left, right, &asleep_};
        HWND wnd =
            CreateWindowExA(WS_EX_TOOLWINDOW, "KelpixTestDrawn", "drawn", WS_POPUP, at.left, at.top, at.right - at.left,
                            at.bottom - at.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
        if (kind == Kind::Animated) SetTimer(wnd, kAnimationTimer, 20, nullptr);
        ShowWindow(wnd, SW_SHOWNOACTIVATE);
        UpdateWindow(wnd);
        wnd_ = wnd;
        SetEvent(ready);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_HANG) {
                asleep_ = true;
                SetEvent(reinterpret_cast<HANDLE>(msg.lParam));
                Sleep(static_cast<DWORD>(msg.wParam));
                asleep_ = false;
                continue;
            }
            DispatchMessageA(&msg);
        }
        DestroyWindow(wnd);
    });
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
}

DrawnWindow::~DrawnWindow() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void DrawnWindow::Hang(DWORD ms) {
    // Back only once the thread sleeps: a message sent to the window before it took WM_HANG would
    // still be answered, as GetMessage handles sent messages ahead of posted ones.
    HANDLE asleep = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PostThreadMessageA(threadId_, WM_HANG, ms, reinterpret_cast<LPARAM>(asleep));
    WaitForSingleObject(asleep, 5000);
    CloseHandle(asleep);
}

ClipboardHolder::ClipboardHolder(DWORD ms) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command = path;
    command = "\"" + command.substr(0, command.find_last_of('\\') + 1) + "kelpix_probe.exe\" hold-clipboard " +
              std::to_string(ms);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr, inputRead = nullptr;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    CreatePipe(&inputRead, &input_, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = inputRead;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &process_)) {
        CloseHandle(writeEnd);
        writeEnd = nullptr;
        char line[16] = {};
        DWORD got = 0;
        ReadFile(readEnd, line, sizeof line - 1, &got, nullptr);
        holding_ = std::string(line, got).rfind("held", 0) == 0;
    }
    if (writeEnd) CloseHandle(writeEnd);
    CloseHandle(readEnd);
    CloseHandle(inputRead);
}

void ClipboardHolder::Release() {
    if (input_) CloseHandle(input_);
    input_ = nullptr;
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
}

namespace {

BOOL CALLBACK CountChildWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND wnd, LPARAM count) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(wnd, &CountChildWindow, count);
    }
    return TRUE;
}

} // namespace

GuiObjects CountGuiObjects() {
    GuiObjects n;
    n.gdi = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    n.user = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    if (n.gdi != 0 && n.user != 0) return n;

    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++n.gdi;

    EnumWindows(&CountOwnWindow, reinterpret_cast<LPARAM>(&n.windows));
    for (HWND wnd = nullptr; (wnd = FindWindowExA(HWND_MESSAGE, wnd, nullptr, nullptr)) != nullptr;)
        CountOwnWindow(wnd, reinterpret_cast<LPARAM>(&n.windows));

    using FrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
    auto frameInfo = reinterpret_cast<FrameInfo>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    // USER handles: slot i is the handle 0x20 + 2 i, up to 0xFFEF.
    for (ULONG_PTR handle = 0x20; handle <= 0xFFEF; handle += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(handle))) ++n.menus;
        DWORD rate = 0, steps = 0;
        if (frameInfo && frameInfo(reinterpret_cast<HCURSOR>(handle), 0, 0, &rate, &steps)) ++n.icons;
    }
    n.user = n.windows + n.menus + n.icons;
    return n;
}

MessageBoxAnswerer::MessageBoxAnswerer(int button, std::function<void(HWND box)> whileShown)
    : MessageBoxAnswerer(std::vector<int>{button}, std::move(whileShown)) {}

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> buttons, std::function<void(HWND box)> whileShown) {
    ++g_answerersLiving;
    thread_ = std::thread([this, buttons = std::move(buttons), whileShown = std::move(whileShown)] {
        HWND answered = nullptr;
        for (size_t next = 0; next < buttons.size() && !stop_;) {
            HWND box = FindOwnDialogBox();
            if (!box || box == answered) {
                Sleep(20);
                continue;
            }
            auto [caption, text] = DialogTexts(box);
            {
                std::lock_guard lock(g_textMutex);
                caption_ = std::move(caption);
                text_ = text;
                texts_.push_back(std::move(text));
            }
            if (whileShown) whileShown(box);
            seen_ = true;
            PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(buttons[next++]), 0);
            answered = box;
        }
    });
}

std::vector<std::string> MessageBoxAnswerer::Texts() const {
    std::lock_guard lock(g_textMutex);
    return texts_;
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
    --g_answerersLiving;
}

std::string MessageBoxAnswerer::Caption() const {
    std::lock_guard lock(g_textMutex);
    return caption_;
}

std::string MessageBoxAnswerer::Text() const {
    std::lock_guard lock(g_textMutex);
    return text_;
}

namespace UnexpectedDialogs {

namespace {
std::thread g_watcher;
std::atomic<bool> g_watching{false};
std::string g_found;
} // namespace

void StartWatching() {
    g_watching = true;
    g_watcher = std::thread([] {
        while (g_watching) {
            Sleep(100);
            HWND box = g_answerersLiving == 0 ? FindOwnDialogBox() : nullptr;
            if (!box || g_answerersLiving != 0) continue;
            auto [caption, text] = DialogTexts(box);
            {
                std::lock_guard lock(g_textMutex);
                g_found += caption + ": " + text + "\n";
            }
            // Cancel closes a message box whatever its buttons, and every dialog box that has one.
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(box, WM_CLOSE, 0, 0);
            Sleep(200);
        }
    });
}

void StopWatching() {
    g_watching = false;
    if (g_watcher.joinable()) g_watcher.join();
}

std::string Take() {
    std::lock_guard lock(g_textMutex);
    return std::exchange(g_found, {});
}

} // namespace UnexpectedDialogs

} // namespace kelpix::test

std::atomic<size_t> kelpix::test::g_allocationLimit{0};

void* operator new(std::size_t size) {
    const std::size_t limit = kelpix::test::g_allocationLimit;
    void* block = limit != 0 && size > limit ? nullptr : std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
