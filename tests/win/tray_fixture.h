// The main window and the notification-area form with a recording stand-in for the shell, and
// checks of what the shell was handed.
#pragma once
#include "main_window_fixture.h"
#include "test_support.h"

#include "core/icons.h"

#include <string>
#include <vector>

namespace kelpix::test {

using Call = NotifyIconRecorder::Call;
using Messages = std::vector<DWORD>;

inline constexpr uint32_t kTransparent = 0xFFFFFF; // a set bit in an icon's mask

inline uint32_t Pixel(core::Rgb c) {
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// The icon handed over is the countdown image for `number`, fully opaque.
// The notification area's icons are drawn at this size.
inline int TrayIconSize() {
    return core::TrayIconSize(GetSystemMetrics(SM_CXSMICON));
}

inline ::testing::AssertionResult ShowsCountdownImage(const Call& call, int number) {
    core::RgbImage expected = core::CountdownImage(number, TrayIconSize());
    if (call.colour.width != expected.width || call.colour.height != expected.height)
        return ::testing::AssertionFailure() << "icon is " << call.colour.width << "x" << call.colour.height;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            if (call.colour.At(x, y) != Pixel(expected.at(x, y)))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") differs from image " << number;
            if (call.mask.At(x, y) != 0)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is transparent";
        }
    return ::testing::AssertionSuccess();
}

// The icon handed over is the default icon: the application icon's picture and mask at the size of
// the notification area's icons.
inline ::testing::AssertionResult ShowsDefaultIcon(const Call& call) {
    const int size = TrayIconSize();
    core::IconImage expected = core::MainIcon(size);
    if (call.colour.width != size || call.mask.width != size) return ::testing::AssertionFailure() << "not " << size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool opaque = expected.is_opaque(x, y);
            if (call.mask.At(x, y) != (opaque ? 0 : kTransparent) ||
                (opaque && call.colour.At(x, y) != Pixel(expected.at(x, y))))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") differs";
        }
    return ::testing::AssertionSuccess();
}

class TrayTest : public MainWindowTest {
protected:
    const std::vector<Call>& calls() const { return shell.Calls(); }
    // The shell's report of a mouse message over the icon.
    void Notify(UINT mouseMessage) { SendMessageA(tray().Handle(), WM_TRAYNOTIFY, 1, mouseMessage); }

    NotifyIconRecorder shell; // outlives the program, whose end may still remove the icon
};

} // namespace kelpix::test
