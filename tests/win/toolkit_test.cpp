#include "test_support.h"

#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/form.h"
#include "toolkit/timer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr UINT WM_FAIL = WM_APP + 7;

class FailingForm : public Form {
public:
    FailingForm() { CreateForm(FormLayout{L"KelpixTestForm", L"test"}); }
    int handled = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_FAIL) {
            ++handled;
            if (wParam == 1) throw Error(L"cannot write C:\\data\\kelpix.ini");
            throw Error(L"クリップボードを開くことができません");
        }
        return Form::HandleMessage(msg, wParam, lParam);
    }
};

} // namespace

TEST(StandardErrorBox, ErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
    FailingForm form;
    {
        MessageBoxAnswerer answer;
        LRESULT r = SendMessageA(form.Handle(), WM_FAIL, 1, 0);
        EXPECT_EQ(r, 0);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "cannot write C:\\data\\kelpix.ini.");
        // The caption is the application title: the executable's name.
        EXPECT_EQ(answer.Caption(), "kelpix_win_tests");
    }
    {
        MessageBoxAnswerer answer;
        SendMessageA(form.Handle(), WM_FAIL, 2, 0);
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Text(), "クリップボードを開くことができません.");
    }
    EXPECT_EQ(form.handled, 2);
    EXPECT_TRUE(IsWindow(form.Handle()));
}

// The timer rules, shown by the order in which two timers tick rather than by the clock: a period
// that was restarted would end after that of a second timer started at the same moment.
TEST(TimerRule, SettingTheSameValuesKeepsTheRunningPeriod) {
    std::vector<char> ticks;
    Timer kept(400, [&] { ticks.push_back('k'); });
    kept.SetEnabled(true);
    Pump(100);
    Timer later(400, [&] { ticks.push_back('l'); });
    later.SetEnabled(true);
    kept.SetInterval(400);
    kept.SetEnabled(true);
    ticks.clear();
    ASSERT_TRUE(PumpUntil([&] { return !ticks.empty(); }));
    EXPECT_EQ(ticks.front(), 'k');
}

TEST(TimerRule, ANewIntervalStartsAFreshPeriodAndZeroStopsIt) {
    std::vector<char> ticks;
    Timer changed(150, [&] { ticks.push_back('c'); });
    changed.SetEnabled(true);
    Pump(75);
    changed.SetInterval(400);
    Timer other(250, [&] { ticks.push_back('o'); });
    other.SetEnabled(true);
    ticks.clear();
    ASSERT_TRUE(PumpUntil([&] { return !ticks.empty(); }));
    EXPECT_EQ(ticks.front(), 'o');
    // A zero interval stops it even while enabled.
    changed.SetInterval(0);
    other.SetEnabled(false);
    ticks.clear();
    Pump(600);
    EXPECT_TRUE(ticks.empty());
    EXPECT_TRUE(changed.Enabled());
}

// Only a window made through the toolkit has an object behind it; other windows of the program
// keep their own data in the same place.
TEST(WindowObject, IsFoundForToolkitWindowsOnly) {
    FailingForm form;
    EXPECT_EQ(Window::FromHandle(form.Handle()), &form);
    ColourWindow other(RECT{0, 0, 40, 40}, RGB(1, 2, 3));
    EXPECT_NE(GetWindowLongPtrW(other.Handle(), GWLP_USERDATA), 0);
    EXPECT_EQ(Window::FromHandle(other.Handle()), nullptr);
    EXPECT_EQ(Window::FromHandle(GetDesktopWindow()), nullptr);
    EXPECT_EQ(Window::FromHandle(nullptr), nullptr);
}
