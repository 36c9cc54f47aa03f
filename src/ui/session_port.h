// What the windows send what happens to them to: the capture session, whose answer is carried out
// at once.
#pragma once
#include <windows.h>

#include "core/capture_session.h"

#include <cstdint>
#include <functional>

namespace kelpix {

// Windows as the session knows them.
inline core::WindowId IdOf(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}
inline HWND WindowOf(core::WindowId id) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(id));
}

inline bool Contains(const core::Actions& actions, core::Act act) {
    for (const core::Action& action : actions)
        if (action.act == act) return true;
    return false;
}

class SessionPort {
public:
    using Event = std::function<core::Actions(core::CaptureSession&)>;

    // Gives the event to the session and carries out its answer before returning it.
    virtual core::Actions Send(const Event& event) = 0;
    // The screen as a release finds it, with this target (see core::ReleaseScene).
    virtual core::ReleaseScene SceneAtRelease(core::WindowId target) const = 0;

protected:
    ~SessionPort() = default;
};

} // namespace kelpix
