// What the windows send what happens to them to: the events (core::Event), which the program hands
// to the capture session one at a time, each run to completion.
#pragma once
#include <windows.h>

#include "core/session_events.h"

#include <cstdint>
#include <vector>

namespace kelpix {

// Windows as the session knows them.
inline core::WindowId IdOf(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}
inline HWND WindowOf(core::WindowId id) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
}

class SessionPort {
public:
    // Handled at once, or, when it comes while another event's actions are carried out, right after
    // that event.
    virtual void Send(core::Event event) = 0;
    // The screen as a release finds it, with this target (see core::ReleaseScene); without one, with
    // the target of the drag under way.
    virtual core::ReleaseScene SceneAtRelease(core::WindowId target) const = 0;
    virtual core::ReleaseScene SceneAtRelease() const = 0;
    // Whether there is a last image (the tray menu's commands on it need one).
    virtual bool ImageShown() const = 0;
    // What the recent captures' menus list: what each capture kept noted, the newest first.
    virtual std::vector<core::CaptureFacts> RecentCaptures() const = 0;

protected:
    ~SessionPort() = default;
};

} // namespace kelpix
