#include "core/capture_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace kelpix::core {

std::ostream& operator<<(std::ostream& out, const Action& a) {
    out << RowOf(a.act).name;
    if (a.act == Act::StartTimer || a.act == Act::StopTimer) out << " " << RowOf(a.timer).name;
    if (a.act == Act::SetTrayIcon) out << " icon " << a.tray_icon;
    if (a.grab != 0) out << " grab " << a.grab;
    if (a.report_failure) out << " reporting failure";
    if (a.on) out << " on";
    if (a.act == Act::ShowMessage) out << " message " << static_cast<int>(a.message) << " of " << a.text.size();
    if (a.window != kNoWindow) out << " window " << a.window;
    return out;
}

namespace {

using C = Command;
using T = SessionTimer;

constexpr WindowId kA = 11, kB = 22, kOwn = 99;
constexpr uint32_t kMove = 0x200, kDown = 0x201, kUp = 0x202, kDouble = 0x203, kRightDown = 0x204;

const Action kDragCursor{Act::ShowDragCursor}, kNormalCursor{Act::ShowNormalCursor}, kHide{Act::HideMainWindow},
    kShow{Act::ShowMainWindow}, kRestore{Act::RestoreMainWindow}, kInstall{Act::InstallHook}, kRemove{Act::RemoveHook},
    kShowSettings{Act::ShowSettings}, kWrite{Act::WriteSettings}, kKeep{Act::KeepRecentCapture};
const auto Draw = [](WindowId w) { return Action{Act::DrawFrame, w}; };
const auto Erase = [](WindowId w) { return Action{Act::EraseFrame, w}; };
// A grab as the defaults ask for it: every picked window with its shape, the own area without.
const auto Grab = [](WindowId w, int how) {
    return Action{.act = Act::Grab, .window = w, .grab = how | (w == 99 ? 0 : kGrabShaped)};
};
const auto Copy = [](bool report) { return Action{.act = Act::CopyToClipboard, .report_failure = report}; };
const auto Tray = [](int icon) { return Action{.act = Act::SetTrayIcon, .tray_icon = icon}; };
const auto Start = [](T t) { return Action{.act = Act::StartTimer, .timer = t}; };
const auto Stop = [](T t) { return Action{.act = Act::StopTimer, .timer = t}; };
const auto Recopy = [](bool down) { return Action{.act = Act::PressRecopyButton, .on = down}; };
const auto Say = [](Message m, std::wstring text = {}) {
    return Action{.act = Act::ShowMessage, .message = m, .text = std::move(text)};
};

// Events.
const auto Press = [](WindowId w) -> Event { return TargetPressed{w}; };
const auto Over = [](WindowId w) -> Event { return PointerOver{w}; };
// A release where the main window lay over part of the target: the grab waits for its repaint.
const ReleaseScene kCovered{.target = {0, 0, 100, 100}, .main_window = {50, 50, 150, 150}};
const Event Release = Released{kCovered};
const auto HookOver = [](WindowId w) -> Event { return HookMove{w}; };
const Event HookUp = HookRelease{kCovered};
const auto Icon = [](uint32_t message, bool primary_down = true) -> Event {
    return TrayNotify{message, primary_down, false};
};
const auto Fire = [](T t, bool primary_down = false) -> Event { return TimerFired{t, primary_down}; };
const auto Grabbed = [](bool image) -> Event { return GrabFinished{image}; };
const auto Cmd = [](C c, WindowId own = kNoWindow, bool modal = false, bool compositor = false) -> Event {
    return CommandChosen{c, own, modal, compositor};
};

struct Step {
    Event event;
    Actions expected;
};
using Steps = std::vector<Step>;

template <class List> List Then(List first, const List& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

void Play(CaptureSession& s, const Steps& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "step " << i);
        EXPECT_EQ(s.Handle(steps[i].event), steps[i].expected);
    }
}

const Actions kStore = {kHide, Tray(kTrayDefault)};
const Step kStoreStep{Cmd(C::StoreInTray), kStore};
const Step kArm{Icon(kDown), {Start(T::TrayPress)}};
const Step kTrayDragBegins{Icon(kMove), {kDragCursor, Start(T::DragWatch), kInstall, Stop(T::TrayPress)}};
const Steps kIconDragOverB = {{Press(kB), {kDragCursor, Draw(kB)}}};
const Steps kTrayDragOverB = {kStoreStep, kArm, kTrayDragBegins, {HookOver(kB), {Draw(kB)}}};
// The release over B: the drag's look goes, busy, the frame goes, the main window hides.
const Actions kReleasedOverB = {kNormalCursor, Stop(T::Cooldown), Erase(kB), kHide};
const Actions kHookReleasedOverB = Then<Actions>({kRemove, Stop(T::DragWatch)}, kReleasedOverB);
const Actions kTrayDragCancelled = {kRemove, Stop(T::DragWatch), kNormalCursor, Erase(kB)};

TEST(CaptureSession, ImmediateCaptureByDragFramesHidesGrabsShowsCopiesSavesAndCoolsDown) {
    for (bool cursor : {false, true}) {
        for (bool image : {true, false}) {
            SCOPED_TRACE(testing::Message() << "draw_cursor " << cursor << ", image " << image);
            // The automatic save, when on, follows the clipboard for a capture that gave an image.
            const Actions shown = image
                                      ? Actions{Copy(false), kShow, {Act::SaveAutomatically}, Start(T::Cooldown), kKeep}
                                      : Actions{kShow, Start(T::Cooldown)};
            const Steps steps = {
                {Press(kA), {kDragCursor, Draw(kA)}},
                {Over(kB), {Draw(kB)}},
                {Over(kB), {}},
                {Over(kNoWindow), {Erase(kB)}},
                {Over(kB), {Draw(kB)}},
                {Release, Then(kReleasedOverB, {Start(T::RepaintWait)})},
                {Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kB, cursor)}},
                {Grabbed(image), shown},
                {Fire(T::Cooldown), {Stop(T::Cooldown)}},
            };
            CaptureSession s(Settings{.draw_cursor = cursor, .auto_save = true});
            for (size_t i = 0; i < steps.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "step " << i);
                EXPECT_EQ(s.Handle(steps[i].event), steps[i].expected);
                EXPECT_EQ(s.dragging(), i < 5);
                EXPECT_EQ(s.busy(), i >= 5 && i < 8);
            }
        }
    }
}

TEST(CaptureSession, DelayedCaptureShowsOneNumberASecondThenGrabs) {
    // from: the number the count starts from (a delay below 1 counts from 1).
    const struct {
        int32_t delay;
        bool in_tray;
        int from;
    } rows[] = {{3, false, 3}, {3, true, 3},    {1, false, 1},    {0, false, 1},
                {-7, true, 1}, {99, false, 99}, {100, true, 100}, {150, false, 150}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "delay " << row.delay << (row.in_tray ? " in the tray" : ""));
        // The program's icon stands in for the numbers above 99.
        std::vector<int> expected;
        for (int n = row.from; n >= 1; --n)
            expected.push_back(n > 99 ? kTrayDefault : n);
        CaptureSession s(Settings{.draw_cursor = true, .delayed_capture = true, .delay_seconds = row.delay});
        Play(s, row.in_tray ? kTrayDragOverB : kIconDragOverB);
        const Actions released = s.Handle(row.in_tray ? HookUp : Release);
        ASSERT_GE(released.size(), 3u);
        EXPECT_EQ(released[released.size() - 3], kHide);
        EXPECT_EQ(released.back(), Start(T::Countdown));
        std::vector<int> shown{released[released.size() - 2].tray_icon};
        Actions tick;
        while ((tick = s.Handle(Fire(T::Countdown))).size() == 1 && tick[0].act == Act::SetTrayIcon &&
               shown.size() < 200)
            shown.push_back(tick[0].tray_icon);
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(tick, (Actions{Tray(row.in_tray ? kTrayDefault : kTrayNone), Stop(T::Countdown), Grab(kB, 1)}));
        const Actions finished = s.Handle(Grabbed(true));
        EXPECT_EQ(std::count(finished.begin(), finished.end(), kShow), row.in_tray ? 0 : 1);
        EXPECT_TRUE(s.busy());
    }
}

TEST(CaptureSession, DragFromTheTrayIcon) {
    const struct {
        const char* name;
        Steps steps;
        bool dragging_after;
    } rows[] = {
        {"released over B",
         Then(kTrayDragOverB, {{HookOver(kA), {Draw(kA)}},
                               {HookOver(kB), {Draw(kB)}},
                               {HookUp, Then(kHookReleasedOverB, {Start(T::RepaintWait)})},
                               {Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kB, 0)}},
                               {Grabbed(true), {Copy(false), Start(T::Cooldown), kKeep}}}),
         false},
        {"button already up at the movement",
         {kStoreStep, kArm, {Icon(kMove, false), {Stop(T::TrayPress)}}, {HookOver(kB), {}}},
         false},
        {"movement after the press timer",
         {kStoreStep, kArm, {Fire(T::TrayPress), {Stop(T::TrayPress)}}, {Icon(kMove), {Stop(T::TrayPress)}}},
         false},
        {"hook failed",
         Then(kTrayDragOverB,
              {{HookFailed{}, {Stop(T::DragWatch), kNormalCursor, Erase(kB), Say(Message::HookInstallFailed)}},
               {Fire(T::DragWatch), {Stop(T::DragWatch)}}}),
         false},
        // Without the shared block no drag can work: said once, and the icon starts no drag after it.
        {"no shared block",
         Then(kTrayDragOverB,
              {{HookFailed{true}, {Stop(T::DragWatch), kNormalCursor, Erase(kB), Say(Message::TrayDragsUnavailable)}},
               kArm,
               {Icon(kMove), {Stop(T::TrayPress)}},
               {HookFailed{true}, {}}}),
         false},
        {"button seen up twice",
         Then(kTrayDragOverB, {{Fire(T::DragWatch), {}}, {Fire(T::DragWatch), kTrayDragCancelled}, {HookOver(kA), {}}}),
         false},
        {"button down between two ups",
         Then(kTrayDragOverB, {{Fire(T::DragWatch), {}},
                               {Fire(T::DragWatch, true), {}},
                               {Fire(T::DragWatch), {}},
                               {HookOver(kA), {Draw(kA)}}}),
         true},
        // The hook's report of the same release comes late and captures nothing.
        {"release on the icon", Then(kTrayDragOverB, {{Icon(kUp), kTrayDragCancelled}, {HookUp, {kRemove}}}), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureSession s;
        Play(s, row.steps);
        EXPECT_EQ(s.dragging(), row.dragging_after);
        EXPECT_TRUE(s.in_tray());
    }
}

// The icon's clicks as the shell reports them, stored in the notification area: a press arms the
// press timer, a move while armed drags, the release after a double click restores, a right press
// opens the menu; every other report clears the clicks.
TEST(CaptureSession, TrayIconClicks) {
    enum From { Idle, Armed, DoubleClicked, DoubleClickedArmed };
    const Steps reach[] = {{}, {kArm}, {{Icon(kDouble), {}}}, {kArm, {Icon(kDouble), {}}}};
    const Actions restore = {Tray(kTrayNone), kRestore, Stop(T::TrayPress)}, menu = {{Act::ShowTrayMenu}};
    const struct {
        From from;
        Event event;
        Actions expected;
    } rows[] = {
        {Idle, Icon(kDown), {Start(T::TrayPress)}},
        {Idle, Icon(kMove), {Stop(T::TrayPress)}},
        {Idle, Icon(kUp), {Stop(T::TrayPress)}},
        {Armed, Icon(kMove), kTrayDragBegins.expected},
        {Armed, Icon(kMove, false), {Stop(T::TrayPress)}}, // released before the hook could see it
        {Armed, Icon(kUp), {Stop(T::TrayPress)}},
        {Armed, Fire(T::TrayPress), {Stop(T::TrayPress)}},
        {DoubleClicked, Icon(kUp), restore},
        {DoubleClickedArmed, Icon(kUp), restore},
        {DoubleClicked, Icon(kMove), {Stop(T::TrayPress)}},
        {DoubleClicked, Icon(kDown), {}},
        {Idle, Icon(kRightDown), menu},
        {Armed, Icon(kRightDown), menu},
        {Armed, Icon(0x205), {}},
        {DoubleClicked, Icon(0x20A), {}},
        {Idle, Icon(0x400), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "from " << row.from << ", " << NameOf(row.event));
        CaptureSession s;
        Play(s, Then<Steps>({kStoreStep}, reach[row.from]));
        EXPECT_EQ(s.Handle(row.event), row.expected);
    }
    // A right press leaves a left press armed; during a drag from the main window the icon is quiet.
    CaptureSession s;
    Play(s, {kStoreStep, kArm, {Icon(kRightDown), menu}, kTrayDragBegins});
    CaptureSession dragging;
    Play(dragging, Then<Steps>(kIconDragOverB, {{Icon(kDown), {}}, {Icon(kUp), {}}, {Icon(kRightDown), {}}}));
}

TEST(CaptureSession, CommandsAreIgnoredDuringADragAndTheOwnAreaWhileBusyOrInTheTray) {
    for (bool from_tray : {false, true}) {
        for (auto id = static_cast<uint16_t>(C::Save); id <= static_cast<uint16_t>(C::RecentCapture); ++id) {
            SCOPED_TRACE(testing::Message() << "command " << id << (from_tray ? " in a drag from the tray" : ""));
            CaptureSession s;
            Play(s, from_tray ? kTrayDragOverB : kIconDragOverB);
            EXPECT_TRUE(s.Handle(Cmd(static_cast<C>(id), kOwn)).empty());
            EXPECT_TRUE(s.dragging());
            EXPECT_EQ(s.target(), kB);
        }
    }
    const Actions own_area = {Stop(T::Cooldown), kHide, Start(T::RepaintWait)};
    const Actions flash = {Recopy(true), Start(T::RecopyFlash)};
    const struct {
        const char* name;
        Steps steps;
    } rows[] = {
        {"own area, refused until the cooldown fires",
         {{Cmd(C::CaptureOwnArea, kOwn), own_area},
          {Cmd(C::CaptureOwnArea, kOwn), {}},
          {Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kOwn, 0)}},
          {Grabbed(true), {Copy(false), kShow, Start(T::Cooldown), kKeep}},
          {Cmd(C::CaptureOwnArea, kOwn), {}},
          {Fire(T::Cooldown), {Stop(T::Cooldown)}},
          {Cmd(C::CaptureOwnArea, kOwn), own_area}}},
        {"own area, refused in the tray", {kStoreStep, {Cmd(C::CaptureOwnArea, kOwn), {}}}},
        {"re-copy from a menu: the button flashes, then the copy reports failures",
         {{Cmd(C::Recopy), flash},
          {Cmd(C::Recopy), {}},
          {Fire(T::RecopyFlash), {Stop(T::RecopyFlash), Recopy(false), Copy(true)}},
          {Cmd(C::Recopy), flash}}},
        {"re-copy button", {{RecopyClicked{}, {Copy(true)}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureSession s;
        Play(s, row.steps);
    }
    // Each of the rest has its act; those that open a window of their own bring a modal window that is
    // up already to the front instead.
    const std::pair<C, Act> acts[] = {{C::Save, Act::OpenSaveDialog},
                                      {C::Options, Act::OpenOptions},
                                      {C::Help, Act::OpenHelp},
                                      {C::DefaultSize, Act::RestoreDefaultSize},
                                      {C::FitToWindowBelow, Act::FitToWindowBelow}};
    for (const auto& [command, act] : acts) {
        EXPECT_EQ(CaptureSession{}.Handle(Cmd(command)), Actions{{act}});
        EXPECT_EQ(CaptureSession{}.Handle(Cmd(command, kNoWindow, true)),
                  RowOf(act).opensOwnLoop ? Actions{{Act::BringModalToFront}} : Actions{{act}});
    }
    CaptureSession s;
    EXPECT_EQ(s.Handle(Cmd(C::Translucent)), (Actions{{.act = Act::ShowTranslucent, .on = true}}));
    EXPECT_EQ(s.Handle(Cmd(C::Translucent)), (Actions{{.act = Act::ShowTranslucent, .on = false}}));
}

TEST(CaptureSession, CloseStoresInTheTrayOnlyWhenAskedAndNeitherExitingNorEnding) {
    enum class Before { Nothing, Exit, EndQueried, EndCalledOff, Ended };
    const struct {
        bool close_to_tray;
        Before before;
        bool stores;
    } rows[] = {
        {false, Before::Nothing, false},      {true, Before::Nothing, true},      {false, Before::Exit, false},
        {true, Before::Exit, false},          {false, Before::EndQueried, false}, {true, Before::EndQueried, false},
        {false, Before::EndCalledOff, false}, {true, Before::EndCalledOff, true}, {true, Before::Ended, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "close_to_tray " << row.close_to_tray << ", before " << int(row.before));
        CaptureSession s(Settings{.close_to_tray = row.close_to_tray});
        if (row.before == Before::Exit)
            EXPECT_EQ(s.Handle(Cmd(C::Exit)), (Actions{Tray(kTrayNone), {Act::CloseMainWindow}}));
        if (row.before > Before::Exit) EXPECT_TRUE(s.Handle(SessionEndQueried{}).empty());
        if (row.before == Before::EndCalledOff) EXPECT_TRUE(s.Handle(SessionEnded{false}).empty());
        if (row.before == Before::Ended) EXPECT_EQ(s.Handle(SessionEnded{true}), (Actions{{Act::CloseMainWindow}}));
        EXPECT_EQ(s.Handle(CloseRequested{}), row.stores ? kStore : Actions{{Act::EndProgram}});
        EXPECT_EQ(s.in_tray(), row.stores);
    }
}

// A close that ends the program (close box or Alt+F4 without close_to_tray, the session's end) may
// come while a target is picked: the frame must not be left on the target window.
TEST(CaptureSession, AProgramEndingDuringADragTakesTheFrameAwayFirst) {
    for (bool from_tray : {false, true}) {
        for (bool session_ending : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << (from_tray ? "tray drag" : "icon drag") << ", ending " << session_ending);
            CaptureSession s(Settings{.close_to_tray = session_ending});
            Play(s, from_tray ? kTrayDragOverB : kIconDragOverB);
            if (session_ending) s.Handle(SessionEndQueried{});
            const Actions out = s.Handle(CloseRequested{});
            const auto end = std::find(out.begin(), out.end(), Action{Act::EndProgram});
            ASSERT_NE(end, out.end()) << testing::PrintToString(out);
            EXPECT_TRUE(std::find(out.begin(), end, Erase(kB)) != end) << testing::PrintToString(out);
            EXPECT_FALSE(s.dragging());
        }
    }
}

TEST(CaptureSession, NotificationArea) {
    const Event first_shown = FirstShown{};
    const Actions back = {Tray(kTrayNone), kRestore}, modal = {{Act::BringModalToFront}};
    const Settings delayed{.delayed_capture = true, .delay_seconds = 3};
    const struct {
        const char* name;
        Steps steps;
        bool in_tray_after;
        Settings settings = {};
    } rows[] = {
        {"behind a modal window", {kStoreStep, {Cmd(C::ShowFromTray, 0, true), modal}}, true},
        {"shown from the menu", {kStoreStep, {Cmd(C::ShowFromTray), back}}, false},
        {"double click on the icon",
         {kStoreStep,
          kArm,
          {Icon(kUp), {Stop(T::TrayPress)}},
          {Icon(kDouble), {}},
          {Icon(kUp), {Tray(kTrayNone), kRestore, Stop(T::TrayPress)}}},
         false},
        {"menu", {kStoreStep, {Icon(kRightDown), {{Act::ShowTrayMenu}}}}, true},
        {"start_in_tray", {{first_shown, kStore}}, true, {.start_in_tray = true}},
        {"started shown", {{first_shown, {}}}, false},
        {"press on the icon during a countdown",
         Then(kIconDragOverB, {{Release, Then(kReleasedOverB, {Tray(3), Start(T::Countdown)})},
                               {Fire(T::Countdown), {Tray(2)}},
                               {Icon(kDown),
                                {Stop(T::Countdown), Stop(T::RepaintWait), Tray(kTrayNone), kShow, Start(T::Cooldown),
                                 Stop(T::TrayPress)}},
                               {Fire(T::Cooldown), {Stop(T::Cooldown)}}}),
         false, delayed},
        {"right press on the icon during a countdown in the tray",
         Then(kTrayDragOverB,
              {{HookUp, Then(kHookReleasedOverB, {Tray(3), Start(T::Countdown)})},
               {Icon(kRightDown),
                {Stop(T::Countdown), Stop(T::RepaintWait), Tray(kTrayDefault), Start(T::Cooldown), Stop(T::TrayPress)}},
               {Fire(T::Cooldown), {Stop(T::Cooldown)}}}),
         true, delayed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureSession s(row.settings);
        Play(s, row.steps);
        EXPECT_EQ(s.in_tray(), row.in_tray_after);
        EXPECT_FALSE(s.busy());
    }
}

TEST(CaptureSession, OptionsAlwaysWriteTheSettingsAndTheTogglesOnlyWhenRestored) {
    const Settings chosen{true, true, true, true, true, 12, L"elsewhere"};
    const struct {
        const char* name;
        Event event;
        bool shows;  // the toggles show the settings again
        bool always; // written whether restore_toggles is on or not
        bool (*took)(const Settings&);
    } rows[] = {
        {"cursor", CursorToggled{true}, false, false, [](const Settings& x) { return x.draw_cursor; }},
        {"delay toggle", DelayToggled{true}, false, false, [](const Settings& x) { return x.delayed_capture; }},
        {"delay", DelayChanged{7}, true, false, [](const Settings& x) { return x.delay_seconds == 7; }},
        {"options", OptionsApplied{chosen}, true, true,
         [](const Settings& x) { return x == Settings{true, true, true, true, true, 12, L"D:/shots"}; }},
    };
    const Action hold{Act::HoldShortcutKeys};
    for (const auto& row : rows) {
        for (bool restore : {false, true}) {
            SCOPED_TRACE(testing::Message() << row.name << ", restore_toggles " << restore);
            CaptureSession s(Settings{.restore_toggles = restore});
            EXPECT_TRUE(s.Handle(SavedTo{L"D:/shots"}).empty());
            Actions expected;
            if (row.shows) expected.push_back(kShowSettings);
            if (row.always || restore) expected.push_back(kWrite);
            if (row.always) expected.push_back(hold); // the options' keys are held anew
            EXPECT_EQ(s.Handle(row.event), expected);
            EXPECT_TRUE(row.took(s.settings()));
            EXPECT_EQ(s.settings().save_folder, L"D:/shots");
        }
    }
}

// OK in the options dialog puts into effect what the system keeps: the keys are held anew, the start
// with Windows written only when its box changed, and a new language shown.
TEST(CaptureSession, OptionsPutTheKeysTheStartWithWindowsAndTheLanguageIntoEffect) {
    const Action hold{Act::HoldShortcutKeys}, language{Act::ShowLanguage};
    const auto startWith = [](bool on) { return Action{.act = Act::SetStartWithWindows, .on = on}; };
    const struct {
        bool ticked, shown;
        Language chosen;
        Actions after_hold;
    } rows[] = {
        {false, false, Language::Automatic, {}},
        {true, true, Language::Automatic, {}},
        {true, false, Language::Automatic, {startWith(true)}},
        {false, true, Language::English, {startWith(false), language}},
        {false, false, Language::Japanese, {language}},
    };
    for (const auto& row : rows) {
        CaptureSession s;
        EXPECT_EQ(s.Handle(OptionsApplied{{.language = row.chosen}, row.ticked, row.shown}),
                  Then<Actions>({kShowSettings, kWrite, hold}, row.after_hold));
    }
}

// What failed while the program carried out an act is told once the queue is empty; a second start
// shows the running program unless a capture has it out of the way.
TEST(CaptureSession, FailuresAreToldAndASecondStartShowsTheProgram) {
    CaptureSession s;
    EXPECT_EQ(s.Handle(Failure{L"disk full"}), (Actions{Say(Message::Failure, L"disk full")}));
    EXPECT_EQ(s.Handle(Failure{L"key held", true}), (Actions{Say(Message::Warning, L"key held")}));
    Play(s, {kStoreStep,
             {AnotherStart{true}, {{Act::BringModalToFront}}},
             {AnotherStart{}, {Tray(kTrayNone), kRestore}},
             {Cmd(C::CaptureOwnArea, kOwn), {Stop(T::Cooldown), kHide, Start(T::RepaintWait)}},
             {AnotherStart{}, {}}});
    EXPECT_FALSE(s.in_tray());
}

// The editor opens on the last image, from the menu or after every capture when asked; what it hands
// back goes on the clipboard and is saved as a capture is.
TEST(CaptureSession, TheEditorOpensOnAnImageAndItsImageGoesWhereACapturesGoes) {
    const Action editor{Act::OpenEditor}, save{Act::SaveAutomatically};
    const Steps capture = {{Cmd(C::CaptureOwnArea, kOwn), {Stop(T::Cooldown), kHide, Start(T::RepaintWait)}},
                           {Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kOwn, 0)}}};
    const Event edit = CommandChosen{C::EditImage, kNoWindow, false, false, true};
    CaptureSession s;
    Play(s, {{Cmd(C::EditImage), {}}}); // nothing to edit
    Play(s, capture);
    Play(s, {{edit, {}}, // busy until the cooldown
             {Grabbed(true), {Copy(false), kShow, Start(T::Cooldown), kKeep}},
             {Fire(T::Cooldown), {Stop(T::Cooldown)}},
             {edit, {editor}},
             {CommandChosen{C::EditImage, kNoWindow, true, false, true}, {{Act::BringModalToFront}}},
             {ImageEdited{}, {Copy(true)}}});
    CaptureSession after(Settings{.auto_save = true, .edit_after_capture = true});
    Play(after, capture);
    Play(after, {{Grabbed(true), {Copy(false), kShow, save, Start(T::Cooldown), editor, kKeep}},
                 {ImageEdited{}, {Copy(true), save}}});
}

// The image goes out as a copy with its file (the automatically saved one: then the save comes
// first) and by a drag; each capture is kept among the recent ones, which come back as a capture's
// image does, but are not saved again.
TEST(CaptureSession, TheImageGoesOutWithItsFileAndComesBackFromTheRecentCaptures) {
    const Action save{Act::SaveAutomatically}, restored{.act = Act::RestoreRecentCapture, .capture_number = 7};
    const auto CopyWithFile = [](bool report) {
        return Action{.act = Act::CopyToClipboard, .report_failure = report, .with_file = true};
    };
    const auto Recent = [](bool modal = false) -> Event {
        return CommandChosen{.command = C::RecentCapture, .modal_up = modal, .capture_number = 7};
    };
    const Event copyAsFile = CommandChosen{C::CopyAsFile, kNoWindow, false, false, true};
    const Steps capture = {{Cmd(C::CaptureOwnArea, kOwn), {Stop(T::Cooldown), kHide, Start(T::RepaintWait)}},
                           {Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kOwn, 0)}}};
    const struct {
        const char* name;
        Settings settings;
        Steps steps;
    } rows[] = {
        {"copied with the file",
         {.copy_as_file = true},
         Then(capture, {{Grabbed(true), {CopyWithFile(false), kShow, Start(T::Cooldown), kKeep}},
                        {RecopyClicked{}, {CopyWithFile(true)}},
                        {ImageEdited{}, {CopyWithFile(true)}}})},
        {"the file is the saved one",
         {.auto_save = true, .copy_as_file = true},
         Then(capture, {{Grabbed(true), {save, CopyWithFile(false), kShow, Start(T::Cooldown), kKeep}},
                        {ImageEdited{}, {save, CopyWithFile(true)}}})},
        {"copy as a file: only with an image", {}, {{Cmd(C::CopyAsFile), {}}, {copyAsFile, {CopyWithFile(true)}}}},
        {"a recent capture: copied, not saved",
         {.auto_save = true},
         {{Recent(), {restored}}, {RecentCaptureRestored{}, {Copy(true)}}}},
        {"a recent capture behind a modal window", {}, {{Recent(true), {{Act::BringModalToFront}}}}},
        {"a recent capture during a capture", {}, {capture[0], {Recent(), {}}}},
        {"dragged out", {}, {{ImageDragged{}, {{Act::DragImageOut}}}}},
        {"nothing during a pick",
         {.copy_as_file = true},
         Then(kIconDragOverB, {{ImageDragged{}, {}}, {Recent(), {}}, {copyAsFile, {}}})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureSession s(row.settings);
        Play(s, row.steps);
    }
}

// A global shortcut key captures the window it picked through the same steps as a drag's release,
// where the program is neither dragging, nor behind a modal window, nor busy with a capture.
TEST(CaptureSession, AShortcutKeyCapturesThePickedWindowUnlessADragAModalWindowOrACaptureIsOn) {
    const auto Key = [](WindowId w, bool modal = false) -> Event {
        // The main window over the picked one: the grab waits as after a drag's release.
        return CaptureKeyPressed{w, modal, {{0, 0, 10, 10}, {0, 0, 10, 10}}};
    };
    const Actions immediate = {Stop(T::Cooldown), kHide, Start(T::RepaintWait)};
    const Actions counted = {Stop(T::Cooldown), kHide, Tray(2), Start(T::Countdown)};
    const Steps grab_a = {{Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kA, 0)}}};
    const Settings delayed{.delayed_capture = true, .delay_seconds = 2};
    const struct {
        const char* name;
        Steps steps;
        Settings settings = {};
    } rows[] = {
        {"shown: hidden for the grab, shown again, copied",
         Then(Then<Steps>({{Key(kA), immediate}}, grab_a),
              {{Grabbed(true), {Copy(false), kShow, Start(T::Cooldown), kKeep}}})},
        {"with the cursor",
         {{Key(kA), immediate}, {Fire(T::RepaintWait), {Stop(T::RepaintWait), Grab(kA, 1)}}},
         {.draw_cursor = true}},
        {"in the tray: the main window stays hidden",
         Then(Then<Steps>({kStoreStep, {Key(kA), immediate}}, grab_a),
              {{Grabbed(true), {Copy(false), Start(T::Cooldown), kKeep}}})},
        {"delayed: the countdown, then the grab of the window picked at the press",
         {{Key(kA), counted},
          {Over(kB), {}},
          {Fire(T::Countdown), {Tray(1)}},
          {Fire(T::Countdown), {Tray(kTrayNone), Stop(T::Countdown), Grab(kA, 0)}}},
         delayed},
        {"delayed in the tray", {kStoreStep, {Key(kA), counted}, {Key(kB), {}}}, delayed},
        {"busy until the cooldown fires", Then(Then<Steps>({{Key(kA), immediate}, {Key(kB), {}}}, grab_a),
                                               {{Key(kB), {}},
                                                {Grabbed(false), {kShow, Start(T::Cooldown)}},
                                                {Key(kB), {}},
                                                {Fire(T::Cooldown), {Stop(T::Cooldown)}},
                                                {Key(kB), immediate}})},
        {"during a drag from the icon",
         Then(kIconDragOverB, {{Key(kA), {}}, {Release, Then(kReleasedOverB, {Start(T::RepaintWait)})}})},
        {"during a drag from the tray", Then(kTrayDragOverB, {{Key(kA), {}}, {HookOver(kA), {Draw(kA)}}})},
        {"a modal window up", {{Key(kA, true), {}}, {Key(kA), immediate}}},
        {"no window picked", {{Key(kNoWindow), {}}, {Key(kA), immediate}}},
        {"during a countdown started by a drag",
         Then(kIconDragOverB, {{Release, Then(kReleasedOverB, {Tray(2), Start(T::Countdown)})}, {Key(kA), {}}}),
         delayed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CaptureSession s(row.settings);
        Play(s, row.steps);
    }
}

TEST(CaptureSession, ATickForNoPendingGrabGrabsNothing) {
    // A tick queued before its timer stopped, or a second tick of the wait, only stops the timer.
    for (T timer : {T::RepaintWait, T::Countdown}) {
        CaptureSession session;
        EXPECT_EQ(session.Handle(Fire(timer)), (Actions{Stop(timer)}));
        session.Handle(Cmd(C::CaptureOwnArea, kOwn));
        EXPECT_EQ(session.Handle(Fire(T::RepaintWait)), (Actions{Stop(T::RepaintWait), Grab(kOwn, 0)}));
        EXPECT_EQ(session.Handle(Fire(timer)), (Actions{Stop(timer)}));
    }
}

TEST(CaptureSession, TheGrabWaitsOnlyForWhatTheProgramsOwnWindowsCoveredOfTheTarget) {
    constexpr Rect kTarget{100, 100, 400, 300};
    const Rect kOutsideSides[4] = {{97, 97, 403, 100}, {97, 300, 403, 303}, {97, 100, 100, 300}, {400, 100, 403, 300}};
    const Rect kInsideTop{100, 100, 400, 103}; // the side of a target at the screen's top edge
    // Covered: the frame goes and the main window hides first, then the wait; else the grab comes at
    // once, the main window stays, and the frame (outside the target) goes once the image is copied.
    const Actions waits = {Start(T::RepaintWait)}, at_once = {Grab(kB, 0)},
                  after_frame = {{Act::WaitForCompositor}, Grab(kB, 0)};
    const struct {
        const char* name;
        ReleaseScene scene;
        Actions after_hide;
    } rows[] = {
        {"main window hidden, frame outside",
         {kTarget, {}, {kOutsideSides[0], kOutsideSides[1], kOutsideSides[2], kOutsideSides[3]}},
         at_once},
        {"main window elsewhere", {kTarget, {500, 100, 700, 300}}, at_once},
        {"main window touching the target's edge only", {kTarget, {400, 100, 600, 300}}, at_once},
        {"main window over a corner", {kTarget, {390, 290, 600, 500}}, waits},
        {"main window over all of it", {kTarget, {0, 0, 1000, 1000}}, waits},
        {"a frame side inside", {kTarget, {}, {kInsideTop, kOutsideSides[1]}}, waits},
        {"target gone (empty)", {{}, {0, 0, 1000, 1000}}, at_once},
        {"compositor, nothing covered", {kTarget, {}, {}, true}, at_once},
        {"compositor, main window over it", {kTarget, {0, 0, 1000, 1000}, {}, true}, after_frame},
        {"compositor, a frame side inside", {kTarget, {}, {kInsideTop}, true}, after_frame},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (bool from_tray : {false, true}) {
            CaptureSession s;
            Play(s, from_tray ? kTrayDragOverB : kIconDragOverB);
            const Actions released = from_tray ? s.Handle(HookRelease{row.scene}) : s.Handle(Released{row.scene});
            Actions before = from_tray ? kHookReleasedOverB : kReleasedOverB;
            if (row.after_hide == at_once) before.resize(before.size() - 2); // no frame off, no hiding
            EXPECT_EQ(released, Then(before, row.after_hide));
            if (row.after_hide == at_once) {
                const Actions finished{Copy(false), Erase(kB), kShow, Start(T::Cooldown), kKeep};
                Actions in_tray = finished;
                in_tray.erase(in_tray.begin() + 2); // stored in the notification area, it stays hidden
                EXPECT_EQ(s.Handle(Grabbed(true)), from_tray ? in_tray : finished);
            }
            // A grab at once is never granted twice by a late tick of the wait.
            if (row.after_hide != waits) EXPECT_EQ(s.Handle(Fire(T::RepaintWait)), (Actions{Stop(T::RepaintWait)}));
            EXPECT_TRUE(s.busy());
        }
    }
    // The own area is all under the main window: it waits, unless a compositor keeps what lies below.
    CaptureSession own;
    EXPECT_EQ(own.Handle(Cmd(C::CaptureOwnArea, kOwn, false, true)),
              (Actions{Stop(T::Cooldown), kHide, {Act::WaitForCompositor}, Grab(kOwn, 0)}));
}

TEST(CaptureSession, WithPrintWindowOnEveryPickedTargetIsPrintedButNeverTheOwnArea) {
    const ReleaseScene nothing_covered{{100, 100, 400, 300}};
    const struct {
        Settings settings;
        int picked, own_area;
    } rows[] = {
        {{}, 0, 0},
        {{.draw_cursor = true}, kGrabWithCursor, kGrabWithCursor},
        {{.print_window = true}, kGrabPrinted, 0},
        {{.draw_cursor = true, .print_window = true}, kGrabWithCursor | kGrabPrinted, kGrabWithCursor},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "cursor " << row.settings.draw_cursor << ", print "
                                        << row.settings.print_window);
        CaptureSession s(row.settings);
        Play(s, kIconDragOverB);
        EXPECT_EQ(s.Handle(Released{nothing_covered}).back(), Grab(kB, row.picked));
        s.Handle(Grabbed(true));
        s.Handle(Fire(T::Cooldown));
        s.Handle(Cmd(C::CaptureOwnArea, kOwn));
        EXPECT_EQ(s.Handle(Fire(T::RepaintWait)).back(), Grab(kOwn, row.own_area));
        // A picked window after the own area is printed again.
        s.Handle(Grabbed(true));
        s.Handle(Fire(T::Cooldown));
        Play(s, kIconDragOverB);
        EXPECT_EQ(s.Handle(Released{nothing_covered}).back(), Grab(kB, row.picked));
    }
}

} // namespace
} // namespace kelpix::core
