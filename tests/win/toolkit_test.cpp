#include "test_support.h"

#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/form.h"
#include "toolkit/timer.h"

#include <gtest/gtest.h>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr UINT WM_FAIL = WM_APP + 7;

class FailingForm : public Form {
public:
    FailingForm() { CreateForm(FormLayout{"KelpixTestForm", "test"}); }
    int handled = 0;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_FAIL) {
            ++handled;
            if (wParam == 1) throw Error("cannot write C:\\data\\kelpix.ini");
            // "クリップボードを開くことができません" ends in a double-byte character.
            throw Error("クリップボードを開くことができません");
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

TEST(TimerRule, SettingTheSameValueDoesNotRestartTheRunningPeriod) {
    int ticks = 0;
    Timer timer(300, [&] { ++ticks; });
    timer.SetEnabled(true);
    DWORD start = GetTickCount();
    Pump(200);
    // Re-setting interval and enabled to what they are must not restart the period.
    timer.SetInterval(300);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 2000));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 480u) << "a restart would have put the first tick near 500 ms";
    timer.SetEnabled(false);
    int before = ticks;
    Pump(400);
    EXPECT_EQ(ticks, before);
}

TEST(TimerRule, ChangingTheIntervalStartsAFreshPeriod) {
    int ticks = 0;
    Timer timer(150, [&] { ++ticks; });
    timer.SetEnabled(true);
    Pump(100);
    timer.SetInterval(400);
    Pump(250);
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(PumpUntil([&] { return ticks > 0; }, 1000));
    // A zero interval stops it even while enabled.
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Running());
    EXPECT_TRUE(timer.Enabled());
}
