#include "services/drag_hook.h"

#include "kelpix_hook.h"
#include "services/platform.h"

namespace kelpix {

bool DragHook::Install(HWND reportTo) {
    if (!view_) {
        if (!block_)
            block_.reset(
                CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHookBlockSize, kHookBlockName));
        if (block_) view_.reset(MapViewOfFile(block_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    // Without the block the handle is not published; the library may still find a window of its own.
    if (view_) *static_cast<volatile DWORD*>(view_.get()) = HandleToBlockValue(reportTo);
    auto install = Platform().installHook;
    return install && install(0) != 0;
}

void DragHook::Remove() {
    if (auto uninstall = Platform().uninstallHook) uninstall();
}

} // namespace kelpix
