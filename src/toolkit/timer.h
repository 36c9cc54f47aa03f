// A timer that ticks as a message on the thread that made it. Setting the interval or the enabled
// state to the value it already has changes nothing and does not restart a running period.
#pragma once
#include <windows.h>

#include <functional>

namespace kelpix {

class TimerWindow;

class Timer {
public:
    explicit Timer(UINT interval = 0, std::function<void()> onTimer = {});
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetInterval(UINT interval);
    void SetEnabled(bool enabled);
    void SetOnTimer(std::function<void()> onTimer) { onTimer_ = std::move(onTimer); }
    // Whether a period is running at the moment (enabled with a non-zero interval).
    bool Running() const { return id_ != 0; }

private:
    friend class TimerWindow;
    void Update();
    void Tick();

    UINT interval_;
    bool enabled_ = false;
    UINT_PTR id_ = 0; // while running: the period's number on the thread's timer window
    std::function<void()> onTimer_;
};

} // namespace kelpix
