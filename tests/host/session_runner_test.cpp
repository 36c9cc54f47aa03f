#include "core/session_runner.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace kelpix::core {
namespace {

// Carries out nothing but notes each act; a grab answers with its result at once, the save dialog
// sends the folder chosen while it is "open", and a failing act throws.
struct NotingPerformer : ActionPerformer {
    SessionRunner* runner = nullptr;
    std::vector<std::string> done;
    Act failing = Act::ShowMessage;
    bool fail = false;

    void Perform(const Action& action) override {
        done.emplace_back(RowOf(action.act).name);
        if (fail && action.act == failing) throw std::runtime_error("refused");
        if (action.act == Act::Grab) runner->Send(GrabFinished{true});
        if (action.act == Act::OpenSaveDialog) runner->Send(SavedTo{L"D:\\"});
    }
};

struct Running {
    CaptureSession session;
    NotingPerformer performer;
    std::vector<std::string> traced;
    SessionRunner runner{session, performer,
                         [this](const Event& e, const Actions&) { traced.emplace_back(NameOf(e)); }};
    Running() { performer.runner = &runner; }
};

TEST(SessionRunner, EventsRaisedByActsWaitForTheListAndLoopsOpenOnceTheQueueIsEmpty) {
    Running run;
    // The own area: hidden, the wait, then the grab, whose result is handled after the tick's list.
    run.runner.Send(CommandChosen{Command::CaptureOwnArea, 7});
    run.runner.Send(TimerFired{SessionTimer::RepaintWait});
    EXPECT_EQ(run.performer.done,
              (std::vector<std::string>{"StopTimer", "HideMainWindow", "StartTimer", "StopTimer", "Grab",
                                        "CopyToClipboard", "ShowMainWindow", "StartTimer", "KeepRecentCapture"}));
    EXPECT_EQ(run.traced, (std::vector<std::string>{"CommandChosen", "TimerFired", "GrabFinished"}));
    // A failure and the save dialog: both open loops of their own, after the list; what the user does
    // in the dialog is handled at once.
    run.performer.done.clear();
    run.runner.CarryOut({{Act::OpenSaveDialog}, {Act::ShowNormalCursor}});
    EXPECT_EQ(run.performer.done, (std::vector<std::string>{"ShowNormalCursor", "OpenSaveDialog"}));
    EXPECT_EQ(run.session.settings().save_folder, L"D:\\");
}

TEST(SessionRunner, AnActThatThrowsEndsTheListOpensNothingAndGoesToTheSender) {
    Running run;
    run.performer.fail = true;
    run.performer.failing = Act::HideMainWindow;
    EXPECT_THROW(run.runner.CarryOut({{Act::OpenHelp}, {Act::HideMainWindow}, {Act::ShowMainWindow}}),
                 std::runtime_error);
    EXPECT_EQ(run.performer.done, (std::vector<std::string>{"HideMainWindow"}));
    // The runner goes on with the next event.
    run.performer.fail = false;
    run.runner.Send(CommandChosen{Command::Help});
    EXPECT_EQ(run.performer.done.back(), "OpenHelp");
}

} // namespace
} // namespace kelpix::core
