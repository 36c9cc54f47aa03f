#include "toolkit/timer.h"

namespace kelpix {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

Timer::Timer(UINT interval, std::function<void()> onTimer) : interval_(interval), onTimer_(std::move(onTimer)) {
    CreateWindowObject(0, L"KelpixTimer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

Timer::~Timer() {
    if (running_) KillTimer(Handle(), kTimerId);
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
    if (running_) KillTimer(Handle(), kTimerId);
    running_ = enabled_ && interval_ != 0 && SetTimer(Handle(), kTimerId, interval_, nullptr) != 0;
}

LRESULT Timer::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTimerId) {
        if (running_ && onTimer_) onTimer_();
        return 0;
    }
    return DefaultHandler(msg, wParam, lParam);
}

} // namespace kelpix
