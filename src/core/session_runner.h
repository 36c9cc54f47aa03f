// Each event run to completion: the session's answer to an event is carried out in full before the
// next event is handled. Events that carrying out an action gives rise to (a grab's result, a hook
// that could not be installed, a failure) wait in a queue until the list that raised them is done.
// Acts that open a window with a message loop of their own (core::RowOf(act).opensOwnLoop) are
// carried out once the queue is empty, so that what the user does meanwhile comes as new events,
// each handled at once and to completion, never inside another event's list.
#pragma once

#include "core/capture_session.h"

#include <deque>
#include <functional>
#include <vector>

namespace kelpix::core {

// What carries the actions out. It may send the runner further events while it does.
class ActionPerformer {
public:
    virtual void Perform(const Action& action) = 0;

protected:
    ~ActionPerformer() = default;
};

class SessionRunner {
public:
    // trace: told of every event handled and the session's answer (may be empty).
    using Trace = std::function<void(const Event&, const Actions&)>;
    SessionRunner(CaptureSession& session, ActionPerformer& performer, Trace trace = {})
        : session_(session), performer_(performer), trace_(std::move(trace)) {}

    // Handles the event now, or, while another event's actions are being carried out, right after it.
    void Send(Event event);
    // Carries out actions as though the session had answered an event with them.
    void CarryOut(const Actions& actions);

private:
    void RunToCompletion(const Actions& first);
    void PerformOrDefer(const Action& action);

    CaptureSession& session_;
    ActionPerformer& performer_;
    Trace trace_;
    std::deque<Event> queue_;      // events still to be handled, in the order they came
    bool handling_ = false;        // an event's actions are being carried out
    std::vector<Action> deferred_; // what opens a loop of its own, for when the queue is empty
};

} // namespace kelpix::core
