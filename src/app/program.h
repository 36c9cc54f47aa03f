// The running program: the capture session and its runner, the windows it shows itself through, and
// what carries out the session's acts (the frame on the screen, the grab, the clipboard, the settings
// file, the hook, the timers, the keys, the dialogs).
#pragma once
#include "core/session_runner.h"
#include "services/clipboard_image.h"
#include "services/drag_hook.h"
#include "services/global_keys.h"
#include "services/highlight_frame.h"
#include "services/image_files.h"
#include "services/recent_store.h"
#include "services/settings_file.h"
#include "toolkit/timer.h"
#include "ui/main_window.h"
#include "ui/markup_window.h"
#include "ui/session_port.h"
#include "ui/tray_window.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kelpix {

class Program final : public SessionPort, core::ActionPerformer {
public:
    // settingsPath: the settings file, read here; the program's own is beside the executable.
    explicit Program(std::wstring settingsPath = DefaultSettingsPath());
    ~Program();

    void Send(core::Event event) override { runner_.Send(std::move(event)); }
    core::ReleaseScene SceneAtRelease(core::WindowId target) const override;
    core::ReleaseScene SceneAtRelease() const override;
    bool ImageShown() const override { return main_->CurrentImage() != nullptr; }
    std::vector<core::CaptureFacts> RecentCaptures() const override { return recent_.Listed(); }
    // Carries out actions as though the session had answered an event with them (tests and
    // benchmarks: a grab without the pick before it).
    void CarryOut(const core::Actions& actions) { runner_.CarryOut(actions); }

    MainWindow& Main() { return *main_; }
    // The markup editor, once it has been opened.
    MarkupWindow* Editor() { return editor_.get(); }
    TrayWindow& Tray() { return *tray_; }
    const core::CaptureSession& Session() const { return session_; }
    Timer& TimerFor(core::SessionTimer timer) { return timers_[static_cast<size_t>(timer)]; }
    const HighlightFrame& Frame() const { return frame_; }
    const RecentStore& Recent() const { return recent_; }

    // Shows the main window and draws it, then makes what it does without: the notification-area
    // window. Start-up does this once, right after construction.
    void ShowFirstWindow();
    // Says once what start-up found wrong: a settings file that could not be read, keys of the
    // settings that another program held.
    void ReportStartUpProblems();

private:
    // Carries out one act; what fails is told the session as a Failure.
    void Perform(const core::Action& action) override;
    // The acts by what they touch; each returns false for an act that is not its own.
    bool PerformOnScreen(const core::Action& action);
    bool PerformCapture(const core::Action& action);
    bool PerformUpkeep(const core::Action& action);
    void PerformOpening(const core::Action& action);

    // The settings the file holds, or the defaults when it cannot be read (and is then never written).
    core::Settings ReadSettings();
    void Trace(const core::Event& event, const core::Actions& actions);
    void Grab(HWND target, int how);
    // The last image on the clipboard, with its file when the act asks for it.
    void CopyLastImage(const core::Action& action);
    void SaveLastImageAutomatically();
    // The file that holds the last image: the one saved or copied for it, else a copied file written now.
    std::wstring FileOfLastImage();
    void RestoreRecentCapture(uint32_t number);
    bool DragEditedImage(SharedImage image);
    void HoldShortcutKeys();
    void ShowLanguageOfSettings();
    void ShowMessage(const core::Action& action);
    void EditOptions();
    void OpenEditor();
    // What the editor hands over: the marked image as the last one; a copy; a save.
    void TakeEditedImage(SharedImage image);
    void CopyEditedImage(SharedImage image);
    bool SaveEditedImage(SharedImage image);
    void SaveLastImage();
    void OpenHelp();

    std::wstring settingsPath_;
    bool settingsWritable_ = true;
    std::vector<std::wstring> startUpProblems_;
    core::CaptureSession session_;
    core::SessionRunner runner_;
    HighlightFrame frame_;
    DragHook hook_;
    SaveDialogMemory saveDialog_;
    ClipboardImage clipboard_;
    uint32_t autoSaved_ = 0; // captures written automatically since the start
    // The file written for the last image (saved automatically, or for a copy as a file), while
    // that image is the last one.
    struct ImageFile {
        std::weak_ptr<const CapturedImage> image;
        std::wstring path;
    } lastImageFile_;
    RecentStore recent_;
    // Where the events and their actions are written (core/session_trace.h), when KELPIX_TRACE
    // names a file: appended to, a session at a time.
    std::unique_ptr<FILE, int (*)(FILE*)> trace_{nullptr, &fclose};
    std::array<Timer, core::kSessionTimers.size()> timers_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<TrayWindow> tray_;
    std::unique_ptr<MarkupWindow> editor_;
    std::unique_ptr<GlobalKeys> keys_;
};

// The program as start-up makes it, on the settings file at settingsPath, with the main window shown
// (the application must have been initialised).
std::unique_ptr<Program> StartProgram(const std::wstring& settingsPath = DefaultSettingsPath());

// Runs the whole program. Always returns 0, the program's exit code.
int RunProgram(HINSTANCE instance);

} // namespace kelpix
