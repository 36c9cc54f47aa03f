#include "core/session_runner.h"

#include <utility>

namespace kelpix::core {

void SessionRunner::Send(Event event) {
    queue_.push_back(std::move(event));
    if (!handling_) RunToCompletion({});
}

void SessionRunner::CarryOut(const Actions& actions) {
    RunToCompletion(actions);
}

void SessionRunner::PerformOrDefer(const Action& action) {
    if (RowOf(action.act).opensOwnLoop)
        deferred_.push_back(action);
    else
        performer_.Perform(action);
}

void SessionRunner::RunToCompletion(const Actions& first) {
    {
        handling_ = true;
        struct Handled {
            bool& handling;
            ~Handled() { handling = false; }
        } handled{handling_};
        try {
            for (const Action& action : first)
                PerformOrDefer(action);
            while (!queue_.empty()) {
                const Event event = std::move(queue_.front());
                queue_.pop_front();
                const Actions actions = session_.Handle(event);
                if (trace_) trace_(event, actions);
                for (const Action& action : actions)
                    PerformOrDefer(action);
            }
        } catch (...) {
            // The failure goes to whoever sent the event; what the lists would have opened does not open.
            deferred_.clear();
            throw;
        }
    }
    // Each opens its loop in turn; events sent meanwhile are handled at once, to completion.
    for (const Action& action : std::exchange(deferred_, {}))
        performer_.Perform(action);
}

} // namespace kelpix::core
