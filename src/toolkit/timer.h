// A timer that ticks as a message on the thread that made it. Setting the interval or the enabled
// state to the value it already has changes nothing and does not restart a running period.
#pragma once
#include "toolkit/window.h"

#include <functional>

namespace kelpix {

class Timer : private Window {
public:
    explicit Timer(UINT interval, std::function<void()> onTimer = {});
    ~Timer() override;

    UINT Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    void SetInterval(UINT interval);
    void SetEnabled(bool enabled);
    void SetOnTimer(std::function<void()> onTimer) { onTimer_ = std::move(onTimer); }

    // Whether a period is running at the moment (enabled with a non-zero interval).
    bool Running() const { return running_; }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Update();

    UINT interval_;
    bool enabled_ = false;
    bool running_ = false;
    std::function<void()> onTimer_;
};

} // namespace kelpix
