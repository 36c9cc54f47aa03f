// The hook for a drag that begins on the notification-area icon: the hook library reports the
// pointer's moves and the left release (WM_HOOKMOUSE) to the window whose handle stands in the
// shared block "KelpixWnd".
#pragma once
#include "toolkit/handles.h"

namespace kelpix {

class DragHook {
public:
    ~DragHook() { Remove(); }
    enum class Installed { Yes, Refused, NoBlock };
    // Publishes `reportTo` in the block and installs the hook. NoBlock: the block could not be made,
    // or another program had made one of its name before (whose contents cannot be trusted); the hook
    // is not installed then, and it never will be in this run.
    Installed Install(HWND reportTo);
    void Remove();

private:
    // Made at the first drag and kept until the end.
    KernelHandle block_;
    MappedView view_;
    bool blockTaken_ = false; // by another program
};

} // namespace kelpix
