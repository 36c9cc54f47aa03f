#include "app/one_instance.h"

#include "ui/main_window.h"

namespace kelpix {

namespace {

// Session-wide, whichever copy of Kelpix (another folder, the 32-bit one) holds it.
constexpr wchar_t kMutexName[] = L"Local\\Kelpix.OneInstance";
constexpr DWORD kWaitForStartMs = 5000, kWaitStepMs = 50;

} // namespace

OneInstance::OneInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, kMutexName);
    anotherRuns_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

OneInstance::~OneInstance() {
    if (mutex_) CloseHandle(mutex_);
}

void OneInstance::ShowTheOther() const {
    // The other one may have taken the name a moment ago and not yet made its window.
    for (DWORD waited = 0; waited <= kWaitForStartMs; waited += kWaitStepMs) {
        if (HWND running = FindWindowW(MainWindow::kClassName, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(running, &process);
            // This start was the user's doing: the running one may come to the front.
            AllowSetForegroundWindow(process);
            PostMessageW(running, ShowRunningMessage(), 0, 0);
            return;
        }
        Sleep(kWaitStepMs);
    }
}

} // namespace kelpix
