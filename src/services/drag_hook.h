// The hook for a drag that begins on the notification-area icon: the hook library reports the
// pointer's moves and the left release (WM_HOOKMOUSE) to the window whose handle stands in the
// shared block "KelpixWnd".
#pragma once
#include "toolkit/handles.h"

namespace kelpix {

class DragHook {
public:
    ~DragHook() { Remove(); }
    // Publishes `reportTo` in the block and installs the hook; false when the library refused.
    bool Install(HWND reportTo);
    void Remove();

private:
    // Made at the first drag and kept until the end.
    KernelHandle block_;
    MappedView view_;
};

} // namespace kelpix
