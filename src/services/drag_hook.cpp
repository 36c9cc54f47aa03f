#include "services/drag_hook.h"

#include "kelpix_hook.h"
#include "services/platform.h"

namespace kelpix {

DragHook::Installed DragHook::Install(HWND reportTo) {
    if (!view_ && !blockTaken_) {
        block_.reset(
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHookBlockSize, kHookBlockName));
        if (block_ && GetLastError() == ERROR_ALREADY_EXISTS) block_.reset();
        if (block_) view_.reset(MapViewOfFile(block_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
        blockTaken_ = !view_;
    }
    if (!view_) return Installed::NoBlock;
    *static_cast<volatile DWORD*>(view_.get()) = HandleToBlockValue(reportTo);
    auto install = Platform().installHook;
    return install && install(0) != 0 ? Installed::Yes : Installed::Refused;
}

void DragHook::Remove() {
    if (auto uninstall = Platform().uninstallHook) uninstall();
}

} // namespace kelpix
