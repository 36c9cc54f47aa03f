// The Windows side of a scripted capture: the window each kind of WHICH picks, the bytes a pipe
// gets, and a file written only as a new one.
#include "settings_fixture.h"
#include "test_support.h"

#include "core/command_line.h"
#include "services/captured_image.h"
#include "services/console_output.h"
#include "services/image_files.h"
#include "services/window_finding.h"

#include <gtest/gtest.h>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// A top-level window of this thread: popup, unowned unless `owner` is given, shown unless hidden.
WindowHandle TestWindow(const wchar_t* caption, RECT at, bool shown = true, HWND owner = nullptr) {
    static const ATOM registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KelpixTestFinding";
        return RegisterClassW(&wc);
    }();
    EXPECT_NE(registered, 0);
    return WindowHandle(CreateWindowExW(WS_EX_TOOLWINDOW, L"KelpixTestFinding", caption,
                                        WS_POPUP | (shown ? WS_VISIBLE : 0), at.left, at.top, at.right - at.left,
                                        at.bottom - at.top, owner, nullptr, GetModuleHandleW(nullptr), nullptr));
}

core::WhichWindow Which(const std::wstring& written) {
    const std::vector<std::wstring> arguments{L"--capture", written};
    const auto request = std::get<core::CaptureRequest>(core::ReadCommandLine(arguments));
    return request.window;
}

} // namespace

TEST(CommandLineTest, EachKindOfWhichPicksItsWindow) {
    // From the bottom up: a, then b, then d (owned by a, so above it and b). The hidden one is nowhere.
    const WindowHandle a = TestWindow(L"Kelpix Probe 表示 A", {100, 100, 300, 250});
    const WindowHandle b =
        TestWindow(L"cmd.exe - Kelpix.exe --capture \"title=kelpix probe 表示 a\"", {400, 100, 600, 250});
    const WindowHandle owned = TestWindow(L"owned", {650, 100, 750, 250}, true, a.get());
    const WindowHandle hidden = TestWindow(L"hidden one", {100, 300, 300, 400}, false);
    HWND gone = TestWindow(L"gone", {0, 0, 10, 10}).release();
    DestroyWindow(gone);
    const std::wstring process = std::to_wstring(GetCurrentProcessId());
    const auto number = [](HWND window) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)); };
    wchar_t hex[16];
    swprintf(hex, 16, L"0x%X", number(hidden.get()));

    SetForegroundWindow(a.get());
    SetCursorPos(200, 175);
    ASSERT_TRUE(PumpUntil([] {
        POINT at{};
        return GetCursorPos(&at) && at.x == 200 && at.y == 175;
    }));
    const std::pair<std::wstring, HWND> rows[] = {
        {L"active", a.get()},
        {L"pointer", a.get()},
        // b holds the text too, but as the echo of this very command line.
        {L"title=KELPIX PROBE 表示 a", a.get()},
        {L"title=probe 表示", b.get()},
        {L"title=hidden one", nullptr},
        {L"title=no such caption", nullptr},
        // d is the first of this program's windows, but another window owns it.
        {L"process=kelpix_win_tests.exe", b.get()},
        {L"process=KELPIX_WIN_TESTS", b.get()},
        {L"process=" + process, b.get()},
        {L"process=no_such_program.exe", nullptr},
        {L"window=" + std::to_wstring(number(a.get())), a.get()},
        {L"window=" + std::wstring(hex), hidden.get()}, // it exists: the capture says it cannot be had
        {L"window=" + std::to_wstring(number(gone)), nullptr},
    };
    for (const auto& [written, expected] : rows)
        EXPECT_EQ(FindWindowFor(Which(written)), expected) << Utf8(written);
}

TEST(CommandLineTest, APipeGetsTheCodePagesBytesAndNoLookAlikeForWhatItLacks) {
    const struct {
        std::wstring text;
        UINT codePage;
        std::string bytes;
    } rows[] = {
        {L"C:\\表示\\a.png", 932, "C:\\\x95\x5C\x8E\xA6\\a.png"},
        // The division slash would pass for "/" in the Western code page's best fit.
        {L"C:\\a\u2215b\u00E9.png", 1252, "C:\\a?b\xE9.png"},
        {L"C:\\a\u2215b.png", 932, "C:\\a?b.png"},
        {L"表 😀", CP_UTF8, "\xE8\xA1\xA8 \xF0\x9F\x98\x80"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(InCodePage(row.text, row.codePage), row.bytes) << Utf8(row.text) << " in " << row.codePage;
}

// The name taken between the command line's own check and the file's arrival: the file stays as it was.
TEST(CommandLineTest, ANewFileIsNeverWrittenOverOneThatExists) {
    TempFolder folder;
    const CapturedImage image = BlankImage({4, 3});
    const std::wstring target = folder.Path() + L"shot.png";
    WriteBytes(target, "old");
    try {
        SaveNewImageFile(target, core::ImageFormat::Png, image);
        ADD_FAILURE() << "the file was written over";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.Code() == ERROR_ALREADY_EXISTS || e.Code() == ERROR_FILE_EXISTS) << e.Code();
        EXPECT_EQ(e.Path(), target);
    }
    EXPECT_EQ(ReadBytes(target), "old");
}
