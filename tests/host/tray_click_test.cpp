#include "core/tray_click.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

namespace kelpix::core {

std::ostream& operator<<(std::ostream& out, const TrayActions& actions) {
    static const char* const names[] = {"StartPressTimer", "StopPressTimer",  "BeginDrag", "RestoreWindow",
                                        "ShowMenu",        "CancelCountdown", "CancelDrag"};
    out << "{";
    for (TrayAction a : actions)
        out << " " << names[static_cast<size_t>(a)];
    return out << " }";
}

namespace {

using A = TrayAction;
using M = TrayMouseMessage;
using P = TrayClickPhase;
constexpr TrayContext kFree{}, kBusy{false, true}, kDragging{true, false};

// The click states, and the double-click state reached while the press timer still runs.
enum class From { Idle, Armed, Awaiting, AwaitingTimed };
const char* const kFromNames[] = {"Idle", "Armed", "AwaitingRelease", "AwaitingRelease (timer on)"};

TrayClickState Enter(From from) {
    TrayClickState state;
    if (from == From::Armed || from == From::AwaitingTimed) state.OnNotify(M::LeftButtonDown, kFree);
    if (from == From::Awaiting || from == From::AwaitingTimed) state.OnNotify(M::LeftButtonDoubleClick, kFree);
    return state;
}

constexpr uint32_t kTick = 0; // the press timer fires
constexpr uint32_t Msg(M m) {
    return static_cast<uint32_t>(m);
}

struct Row {
    From from;
    uint32_t event;
    TrayActions actions;
    P next;
    bool timer_after;
};

TEST(TrayClickState, FollowsEveryRowOfTheTransitionTable) {
    // Clearing the click state also switches the press timer off, hence StopPressTimer after every reset.
    const Row rows[] = {
        {From::Idle, Msg(M::LeftButtonDown), {A::StartPressTimer}, P::Armed, true},
        {From::Idle, Msg(M::MouseMove), {A::StopPressTimer}, P::Idle, false},
        {From::Idle, Msg(M::LeftButtonUp), {A::StopPressTimer}, P::Idle, false},
        {From::Idle, Msg(M::LeftButtonDoubleClick), {}, P::AwaitingRelease, false},
        {From::Armed, Msg(M::MouseMove), {A::BeginDrag, A::StopPressTimer}, P::Idle, false},
        {From::Armed, Msg(M::LeftButtonUp), {A::StopPressTimer}, P::Idle, false},
        {From::Armed, kTick, {A::StopPressTimer}, P::Idle, false},
        {From::Armed, Msg(M::LeftButtonDoubleClick), {}, P::AwaitingRelease, true},
        {From::Awaiting, Msg(M::LeftButtonUp), {A::RestoreWindow, A::StopPressTimer}, P::Idle, false},
        {From::AwaitingTimed, Msg(M::LeftButtonUp), {A::RestoreWindow, A::StopPressTimer}, P::Idle, false},
        {From::Awaiting, Msg(M::MouseMove), {A::StopPressTimer}, P::Idle, false},
        {From::Awaiting, Msg(M::LeftButtonDown), {}, P::AwaitingRelease, false},
        {From::AwaitingTimed, Msg(M::LeftButtonDown), {}, P::AwaitingRelease, true},
        {From::AwaitingTimed, kTick, {A::StopPressTimer}, P::Idle, false},
        {From::Idle, Msg(M::RightButtonDown), {A::ShowMenu}, P::Idle, false},
        {From::Armed, Msg(M::RightButtonDown), {A::ShowMenu}, P::Armed, true},
        {From::Awaiting, Msg(M::RightButtonDown), {A::ShowMenu}, P::AwaitingRelease, false},
        // Any other mouse message: right release, right double click, middle button, wheel, unknown.
        {From::Idle, Msg(M::RightButtonUp), {}, P::Idle, false},
        {From::Armed, Msg(M::RightButtonUp), {}, P::Armed, true},
        {From::Awaiting, Msg(M::RightButtonUp), {}, P::AwaitingRelease, false},
        {From::Armed, 0x206, {}, P::Armed, true},
        {From::Armed, 0x207, {}, P::Armed, true},
        {From::Awaiting, 0x208, {}, P::AwaitingRelease, false},
        {From::AwaitingTimed, 0x20A, {}, P::AwaitingRelease, true},
        {From::Idle, 0x400, {}, P::Idle, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << kFromNames[static_cast<int>(row.from)] << " + 0x" << std::hex << row.event);
        TrayClickState state = Enter(row.from);
        EXPECT_EQ(row.event == kTick ? state.OnPressTimer() : state.OnNotify(row.event, kFree), row.actions);
        EXPECT_EQ(state.phase(), row.next);
        EXPECT_EQ(state.press_timer_running(), row.timer_after);
    }
}

TEST(TrayClickState, WhileACaptureIsBusyEveryReportClearsAndPressesCancelTheCountdown) {
    for (From from : {From::Idle, From::Armed, From::Awaiting, From::AwaitingTimed}) {
        for (uint32_t message = 0x200; message <= 0x20A; ++message) {
            SCOPED_TRACE(testing::Message() << kFromNames[static_cast<int>(from)] << " + 0x" << std::hex << message);
            TrayClickState state = Enter(from);
            const bool press = message == Msg(M::LeftButtonDown) || message == Msg(M::RightButtonDown);
            const TrayActions expected =
                press ? TrayActions{A::CancelCountdown, A::StopPressTimer} : TrayActions{A::StopPressTimer};
            EXPECT_EQ(state.OnNotify(message, kBusy), expected);
            EXPECT_EQ(state.phase(), P::Idle);
            EXPECT_FALSE(state.press_timer_running());
        }
    }
}

TEST(TrayClickState, DuringATargetDragEveryReportIsIgnoredButTheReleaseOfADragFromTheIcon) {
    for (From from : {From::Idle, From::Armed, From::Awaiting, From::AwaitingTimed}) {
        for (uint32_t message = 0x200; message <= 0x20A; ++message) {
            SCOPED_TRACE(testing::Message() << kFromNames[static_cast<int>(from)] << " + 0x" << std::hex << message);
            TrayClickState state = Enter(from);
            const TrayClickState before = state;
            EXPECT_TRUE(state.OnNotify(message, kDragging).empty());
            EXPECT_TRUE(state.OnNotify(message, TrayContext{true, true}).empty()) << "a drag wins over busy";
            // A drag that began on the icon ends when its button comes up over the icon.
            const bool release = message == Msg(M::LeftButtonUp);
            EXPECT_EQ(state.OnNotify(message, TrayContext{true, false, true}),
                      release ? TrayActions{A::CancelDrag} : TrayActions{});
            EXPECT_EQ(state.phase(), before.phase());
            EXPECT_EQ(state.left_pressed(), before.left_pressed());
            EXPECT_EQ(state.press_timer_running(), before.press_timer_running());
        }
    }
}

TEST(TrayClickState, RestoresOnTheSecondReleaseOfADoubleClickAsTheShellReportsIt) {
    TrayClickState state;
    EXPECT_EQ(state.OnNotify(M::LeftButtonDown, kFree), (TrayActions{A::StartPressTimer}));
    EXPECT_EQ(state.OnNotify(M::LeftButtonUp, kFree), (TrayActions{A::StopPressTimer}));
    EXPECT_TRUE(state.OnNotify(M::LeftButtonDoubleClick, kFree).empty());
    EXPECT_EQ(state.OnNotify(M::LeftButtonUp, kFree), (TrayActions{A::RestoreWindow, A::StopPressTimer}));
    EXPECT_EQ(state.phase(), P::Idle);
}

} // namespace
} // namespace kelpix::core
