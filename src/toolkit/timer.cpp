#include "toolkit/timer.h"

#include "toolkit/window.h"

#include <map>
#include <utility>

namespace kelpix {

// The running timers of a thread tick through one message-only window, made when the first of
// them starts: a program's timers cost nothing at its start. Each period gets a number never used
// before on the thread, so a tick still queued for a stopped period finds nothing to run.
class TimerWindow : public Window {
public:
    static TimerWindow& OfThisThread() {
        thread_local TimerWindow window;
        return window;
    }

    UINT_PTR Start(Timer& timer, UINT interval) {
        const UINT_PTR id = ++lastId_;
        if (!SetTimer(Handle(), id, interval, nullptr)) return 0;
        running_[id] = &timer;
        return id;
    }

    void Stop(UINT_PTR id) {
        KillTimer(Handle(), id);
        running_.erase(id);
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg != WM_TIMER) return DefaultHandler(msg, wParam, lParam);
        if (const auto found = running_.find(wParam); found != running_.end()) found->second->Tick();
        return 0;
    }

private:
    TimerWindow() { CreateWindowObject(0, L"KelpixTimer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr); }

    std::map<UINT_PTR, Timer*> running_;
    UINT_PTR lastId_ = 0;
};

Timer::Timer(UINT interval, std::function<void()> onTimer) : interval_(interval), onTimer_(std::move(onTimer)) {}

Timer::~Timer() {
    if (id_) TimerWindow::OfThisThread().Stop(id_);
}

void Timer::SetInterval(UINT interval) {
    if (interval == interval_) return;
    interval_ = interval;
    Update();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void Timer::Update() {
    if (id_) TimerWindow::OfThisThread().Stop(std::exchange(id_, 0));
    if (enabled_ && interval_ != 0) id_ = TimerWindow::OfThisThread().Start(*this, interval_);
}

void Timer::Tick() {
    if (onTimer_) onTimer_();
}

} // namespace kelpix
