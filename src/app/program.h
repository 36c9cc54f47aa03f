// The running program: the capture session, the windows it shows itself through, and what carries
// out the session's answers (the frame on the screen, the grab, the clipboard, the settings file,
// the hook, the timers).
#pragma once
#include "services/clipboard_image.h"
#include "services/drag_hook.h"
#include "services/global_keys.h"
#include "services/highlight_frame.h"
#include "services/image_files.h"
#include "ui/main_window.h"
#include "services/settings_file.h"
#include "ui/session_port.h"
#include "toolkit/timer.h"
#include "ui/tray_window.h"

#include <array>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace kelpix {

class Program final : public SessionPort {
public:
    // settingsPath: the settings file, read here; the program's own is beside the executable.
    explicit Program(std::wstring settingsPath = DefaultSettingsPath());
    ~Program();

    void Send(core::Event event) override;
    core::ReleaseScene SceneAtRelease(core::WindowId target) const override;
    core::ReleaseScene SceneAtRelease() const override;
    // Carries out actions as though the session had answered an event with them (tests and
    // benchmarks: a grab without the pick before it).
    void CarryOut(const core::Actions& actions);

    MainWindow& Main() { return *main_; }
    TrayWindow& Tray() { return *tray_; }
    const core::CaptureSession& Session() const { return session_; }
    Timer& TimerFor(core::SessionTimer timer) { return timers_[static_cast<size_t>(timer)]; }
    const HighlightFrame& Frame() const { return frame_; }

    // Shows the main window and draws it, then makes what it does without: the notification-area
    // window. Start-up does this once, right after construction.
    void ShowFirstWindow();

    // Says once what start-up found wrong: a settings file that could not be read, keys of the
    // settings that another program held.
    void ReportStartUpProblems();
    // What OK in the options dialog puts into effect beyond the settings: the keys, the start with
    // Windows; a key another program holds, or a refused change, is reported.
    void ApplySystemOptions(const core::Settings& chosen, bool startWithWindows);

private:
    // Carries out `first`, then handles the queued events one at a time, then what had to wait for
    // the queue to be empty.
    void RunToCompletion(const core::Actions& first);
    void Perform(const core::Action& action);
    void Trace(const core::Event& event, const core::Actions& actions);
    // What opens a window with a message loop of its own (a menu, a dialog, a message box).
    void PerformOpening(const core::Action& action);
    void Grab(HWND target, int how);
    void CopyLastImage(bool reportFailure);
    void SaveLastImageAutomatically(HWND captured);
    void EditOptions();
    void SaveLastImage();
    void OpenHelp();

    // The settings the file holds, or the defaults when it cannot be read (and is then never written).
    core::Settings ReadSettings();

    std::wstring settingsPath_;
    bool settingsWritable_ = true;
    std::vector<std::wstring> startUpProblems_;
    core::CaptureSession session_;
    HighlightFrame frame_;
    DragHook hook_;
    SaveDialogMemory saveDialog_;
    ClipboardImage clipboard_;
    uint32_t autoSaved_ = 0;            // captures written automatically since the start
    std::deque<core::Event> queue_;     // events still to be handled, in the order they came
    bool handling_ = false;             // an event's actions are being carried out
    std::vector<core::Action> opening_; // waiting for the queue to be empty
    std::wstring failureToTell_;        // shown once the event that failed has run to its end
    // Where the events and their actions are written (core/session_trace.h), when KELPIX_TRACE
    // names a file: appended to, a session at a time.
    std::unique_ptr<FILE, int (*)(FILE*)> trace_{nullptr, &fclose};
    std::array<Timer, core::kSessionTimerCount> timers_{Timer{0}, Timer{0}, Timer{0}, Timer{0}, Timer{0}, Timer{0}};
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<TrayWindow> tray_;
    // Global shortcut keys
    std::unique_ptr<GlobalKeys> keys_;
};

// The program as start-up makes it, on the settings file at settingsPath, with the main window shown
// (the application must have been initialised).
std::unique_ptr<Program> StartProgram(const std::wstring& settingsPath = DefaultSettingsPath());

// Runs the whole program. Always returns 0, the program's exit code.
int RunProgram(HINSTANCE instance);

} // namespace kelpix
