// One Kelpix at a time in a user's session: a second start (a double-click while Kelpix sits in the
// notification area, the start with Windows and a start by hand) shows the running one and ends.
#pragma once
#include <windows.h>

namespace kelpix {

class OneInstance {
public:
    // Claims the session's one Kelpix for this process, or finds that another process has it.
    OneInstance();
    ~OneInstance();
    OneInstance(const OneInstance&) = delete;
    OneInstance& operator=(const OneInstance&) = delete;

    bool AnotherRuns() const { return anotherRuns_; }
    // Asks the running Kelpix to show its main window (ShowRunningMessage: restored from the
    // notification area and brought to the front), waiting a moment for it when it is still
    // starting. Says nothing either way.
    void ShowTheOther() const;

private:
    HANDLE mutex_ = nullptr;
    bool anotherRuns_ = false;
};

} // namespace kelpix
