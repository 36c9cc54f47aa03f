// Helpers for the Windows tests: message pumping, a solid-colour window on a thread of its own,
// pixel reading, and answering message boxes.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace kelpix::test {

// The middle of a rectangle, and the rectangle grown by `by` pixels on every side.
inline POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
inline RECT Inflated(RECT r, int by) {
    InflateRect(&r, by, by);
    return r;
}

// Handles this thread's messages for the given time.
void Pump(DWORD milliseconds);
// Handles messages until pred() holds or the time runs out; returns pred().
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs = 3000);

// Runs f from this thread's message loop: when the code now running (a modal dialog's loop, say)
// next handles messages. Calls queued this way run in the order they were queued.
void RunFromLoop(std::function<void()> f);

// 32-bit pixels of a bitmap, top row first, as 0x00RRGGBB.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> data;
    uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};
Pixels ReadBitmap(HBITMAP bitmap);
// What the screen shows in the area (screen coordinates).
Pixels ReadScreen(const RECT& area);
// What the clipboard holds as CF_BITMAP, and how many formats it holds.
Pixels ReadClipboardBitmap(int* formatCount = nullptr);
// What the clipboard's "PNG" decodes to (no pixels when it holds none or it does not decode).
Pixels ReadClipboardPng();
// The clipboard's data in a format, as bytes (none when it holds none).
std::string ReadClipboardBytes(UINT format);
// A PNG file's pixels and, one byte a pixel, its alpha (255 throughout for a file without alpha).
struct PngPicture {
    Pixels pixels;
    std::vector<uint8_t> alpha;
    bool storesAlpha = false; // the file has an alpha channel
};
PngPicture DecodePng(std::string_view bytes);
// The paths in the clipboard's file list (CF_HDROP), none when it holds none.
std::vector<std::wstring> ReadClipboardFiles();
constexpr uint32_t Rgb(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
// Whether a picture has pixels and all of them are `colour`.
bool AllPixels(const Pixels& p, uint32_t colour);

// Stands in for Shell_NotifyIconW while it lives and records every call, with the icon's pictures
// read at the time of the call (the program may release the icon once the shell has been handed it).
class NotifyIconRecorder {
public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAW data; // the first cbSize bytes of the record handed over
        Pixels colour, mask;  // of data.hIcon; mask pixels are 0 for opaque, 0xFFFFFF for transparent
        DWORD tick;           // GetTickCount() at the call
    };
    NotifyIconRecorder();
    ~NotifyIconRecorder();
    NotifyIconRecorder(const NotifyIconRecorder&) = delete;
    NotifyIconRecorder& operator=(const NotifyIconRecorder&) = delete;

    const std::vector<Call>& Calls() const;
    std::vector<DWORD> Messages() const;
    void Clear();
    // The notification area was made anew (Explorer restarted): the icons in it are gone.
    void ForgetIcons();
    size_t IconsShown() const;
    static inline bool failing = false; // every call fails, as before the notification area exists
};

// A borderless window of one colour, run by a thread of its own so it repaints while the test's
// thread sleeps.
class ColourWindow {
public:
    ColourWindow(RECT at, COLORREF colour);
    ~ColourWindow();
    HWND Handle() const { return wnd_; }
    void SetColour(COLORREF colour);

private:
    std::thread thread_;
    std::atomic<HWND> wnd_{nullptr};
    std::atomic<COLORREF> colour_;
    DWORD threadId_ = 0;
};

// A borderless window on a thread of its own that paints its left half in one colour and its right
// half in another, for WM_PAINT and for WM_PRINTCLIENT (what PrintWindow asks for), or only for
// WM_PAINT. Animated, it paints itself all in the next colour of kAnimationColours every 20 ms.
// HangsWhilePrinting answers every message but sleeps kPrintHangMs before it prints (Asleep() meanwhile).
class DrawnWindow {
public:
    enum class Kind { Halves, HalvesOnScreenOnly, Animated, HangsWhilePrinting };
    static constexpr DWORD kPrintHangMs = 2000;
    static constexpr COLORREF kAnimationColours[] = {RGB(0xE0, 0x30, 0x30), RGB(0x30, 0xC0, 0x40),
                                                     RGB(0x30, 0x50, 0xE0), RGB(0xF0, 0xE0, 0x20)};
    DrawnWindow(RECT at, Kind kind, COLORREF left = RGB(0x20, 0x80, 0xC0), COLORREF right = RGB(0xF0, 0x90, 0x10));
    ~DrawnWindow();
    HWND Handle() const { return wnd_; }
    // Its thread stops handling messages for the time given, as a hung program's; Asleep() meanwhile.
    void Hang(DWORD ms);
    bool Asleep() const { return asleep_; }

private:
    std::thread thread_;
    std::atomic<HWND> wnd_{nullptr};
    std::atomic<bool> asleep_{false};
    DWORD threadId_ = 0;
};

// The probe program (beside the test program) holding the clipboard open for up to ms milliseconds.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD ms);
    ~ClipboardHolder() { Release(); }
    bool Holding() const { return holding_; }
    // Ends the probe, which closes the clipboard.
    void Release();

private:
    PROCESS_INFORMATION process_{};
    HANDLE input_ = nullptr; // closing it tells the probe to let go
    bool holding_ = false;
};

// Real mouse input, as the system's input queue delivers it: move the pointer to a screen position,
// press or release a button (MOUSEEVENTF_LEFTDOWN...).
void MouseTo(int x, int y);
void MouseEvent(DWORD eventFlag);
// Types keys (the first ones held while the last is typed) through the system's input queue.
void Type(std::initializer_list<WORD> keys);
// Lets the program's own loop, which translates the shortcuts, handle what arrives until pred holds
// (for 3 s at most); returns pred().
bool LoopUntil(const std::function<bool()>& pred);

// The live GUI objects of this process. Where GetGuiResources answers (Windows) its figures are
// taken; Wine's answers 0, so there the objects are counted one by one:
//  - GDI: every slot of the process's GDI handle table is put to GetObjectType as a handle whose
//    upper 16 bits are 0, which Wine takes for "whatever the slot holds now";
//  - USER: the windows of the process (top-level, their children, message-only windows) plus the
//    menus and the icons and cursors found by probing every USER handle slot with IsMenu and
//    GetCursorFrameInfo, which answer only for objects of this process.
struct GuiObjects {
    int gdi = 0;
    int windows = 0, menus = 0, icons = 0; // 0 when GetGuiResources gave `user`
    int user = 0;                          // windows + menus + icons, or GetGuiResources's figure
};
GuiObjects CountGuiObjects();

// Every allocation through operator new above this many bytes (0: none) fails, as when memory has run out.
extern std::atomic<size_t> g_allocationLimit;

// Watches for a message box (#32770) from another thread, records its caption and text (UTF-8), runs
// whileShown (on that thread) and presses the given button. While one lives, message boxes are
// expected; at any other time one fails the test (see UnexpectedDialogs).
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button = IDOK, std::function<void(HWND box)> whileShown = {});
    // Answers one box after another with these buttons, in turn.
    explicit MessageBoxAnswerer(std::vector<int> buttons, std::function<void(HWND box)> whileShown = {});
    ~MessageBoxAnswerer();
    std::string Caption() const; // of the last box
    std::string Text() const;
    std::vector<std::string> Texts() const; // of every box, in turn
    bool Seen() const { return seen_; }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::string caption_, text_;
    std::vector<std::string> texts_;
};

// Keeps a dialog box that no test asked for from holding the tests up: a thread looks for visible
// dialog boxes (#32770) of this process while no MessageBoxAnswerer lives, closes each one it finds
// and keeps its caption and text. Take() hands over what was found; the test program fails the
// test that showed them.
namespace UnexpectedDialogs {
void StartWatching();
void StopWatching();
// One line per dialog box found since the last call ("caption: text"), empty when none.
std::string Take();
} // namespace UnexpectedDialogs

} // namespace kelpix::test
