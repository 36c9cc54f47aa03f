#include "app/program.h"

#include "core/session_trace.h"
#include "services/auto_save.h"
#include "services/platform.h"
#include "services/screen_grab.h"
#include "services/late_library.h"
#include "services/settings_file.h"
#include "app/one_instance.h"
#include "app/startup_trace.h"
#include "services/startup_entry.h"
#include "services/texts.h"
#include "ui/options_dialog.h"
#include "toolkit/application.h"
#include "toolkit/error.h"

#include <cstdlib>

namespace kelpix {

namespace {

constexpr wchar_t kHelpWindowClass[] = L"HH Parent";
constexpr wchar_t kHelpWindowTitle[] = L"Kelpix"; // set by the help files' window definition

} // namespace

Program::Program(std::wstring settingsPath) : settingsPath_(std::move(settingsPath)), session_(ReadSettings()) {
    startup_trace::Mark("settings");
    if (const wchar_t* tracePath = _wgetenv(L"KELPIX_TRACE"); tracePath && *tracePath) {
        trace_.reset(_wfopen(tracePath, L"ab"));
        if (trace_) std::fprintf(trace_.get(), "%s\n", core::TraceLine(session_.settings()).c_str());
    }
    ShowLanguage(LanguageFor(session_.settings().language));
    startup_trace::Mark("language and font");
    for (int i = 0; i < core::kSessionTimerCount; ++i) {
        const auto timer = static_cast<core::SessionTimer>(i);
        // The session decides what a tick means; the button state goes with the drag watch's.
        timers_[static_cast<size_t>(i)].SetOnTimer([this, timer] {
            const bool primaryDown = timer == core::SessionTimer::DragWatch && PrimaryButtonDown();
            Send(core::TimerFired{timer, primaryDown});
        });
    }
    main_ = std::make_unique<MainWindow>(*this, session_.settings());
    startup_trace::Mark("main window");
    // Global shortcut keys: pressed anywhere, they come to the main window.
    keys_ = std::make_unique<GlobalKeys>(main_->Handle());
    const core::Settings& s = session_.settings();
    if (const std::vector<uint16_t> held = keys_->Hold(s.pointer_window_key, s.active_window_key); !held.empty())
        startUpProblems_.push_back(KeysHeldMessage(held));
    startup_trace::Mark("shortcut keys");
}

core::Settings Program::ReadSettings() {
    try {
        return ReadSettingsFile(settingsPath_).value_or(core::Settings{});
    } catch (const SettingsFileTooLarge& e) {
        settingsWritable_ = false;
        startUpProblems_.push_back(e.Message());
        return {};
    }
}

void Program::ShowFirstWindow() {
    main_->ShowWithTaskbarButton(true);
    startup_trace::Mark("main window shown");
    // Drawn before the rest of the start, which the first window does without.
    RedrawWindow(main_->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    startup_trace::Mark("main window drawn");
    tray_ = std::make_unique<TrayWindow>(*this);
    startup_trace::Mark("notification-area window");
}

Program::~Program() {
    keys_.reset();
    // The tray goes first: its icon leaves the notification area before the main window closes.
    tray_.reset();
    main_.reset();
}

void Program::Send(core::Event event) {
    queue_.push_back(std::move(event));
    // An event that comes while another's actions are carried out (one that an action gave rise to:
    // a grab's result, a hook that could not be installed, the close the session is asked about)
    // waits until that list is done.
    if (!handling_) RunToCompletion({});
}

void Program::CarryOut(const core::Actions& actions) {
    RunToCompletion(actions);
}

// Things that open a window of their own run its message loop until it closes; what the user does
// meanwhile comes as new events. They are carried out once every event has been handled, so that
// those new events are handled at once, each to completion, and never inside another's list.
static bool OpensOwnLoop(const core::Action& action) {
    using core::Act;
    using core::Command;
    return action.act == Act::ShowTrayMenu || action.act == Act::ShowHookFailure ||
           action.act == Act::ShowTrayDragsUnavailable ||
           (action.act == Act::RunCommand &&
            (action.command == Command::Save || action.command == Command::Options || action.command == Command::Help));
}

void Program::RunToCompletion(const core::Actions& first) {
    {
        handling_ = true;
        struct Handled {
            bool& handling;
            ~Handled() { handling = false; }
        } handled{handling_};
        try {
            for (const core::Action& action : first)
                Perform(action);
            while (!queue_.empty()) {
                const core::Event event = std::move(queue_.front());
                queue_.pop_front();
                const core::Actions actions = session_.Handle(event);
                if (trace_) Trace(event, actions);
                for (const core::Action& action : actions)
                    Perform(action);
            }
        } catch (...) {
            // The error is told where the event came from; what the list would have opened is not.
            opening_.clear();
            throw;
        }
    }
    // A failed grab or automatic save is told once every action of the capture has been carried out.
    if (!failureToTell_.empty()) ShowErrorBox(std::exchange(failureToTell_, {}));
    for (const core::Action& action : std::exchange(opening_, {}))
        PerformOpening(action);
}

void Program::Trace(const core::Event& event, const core::Actions& actions) {
    std::string lines = core::TraceLine(event) + "\n";
    for (const core::Action& action : actions)
        lines += core::TraceLine(action) + "\n";
    std::fputs(lines.c_str(), trace_.get());
    std::fflush(trace_.get());
}

void Program::PerformOpening(const core::Action& action) {
    using core::Act;
    using core::Command;
    switch (action.act) {
    case Act::ShowTrayMenu:
        tray_->ShowMenu();
        break;
    case Act::ShowHookFailure:
        Application::Get().ShowMessage(Texts().hookInstallFailed, Application::Get().Title().c_str(), MB_OK);
        break;
    case Act::ShowTrayDragsUnavailable:
        Application::Get().ShowMessage(Texts().trayDragsUnavailable, Application::Get().Title().c_str(),
                                       MB_OK | MB_ICONWARNING);
        break;
    case Act::RunCommand:
        if (action.command == Command::Save) SaveLastImage();
        if (action.command == Command::Options) EditOptions();
        if (action.command == Command::Help) OpenHelp();
        break;
    default:
        break;
    }
}

void Program::Perform(const core::Action& action) {
    using core::Act;
    if (OpensOwnLoop(action)) {
        opening_.push_back(action);
        return;
    }
    HWND window = WindowOf(action.window);
    switch (action.act) {
    case Act::DrawFrame:
        frame_.Show(window);
        break;
    case Act::EraseFrame:
        frame_.Hide();
        break;
    case Act::ShowDragCursor:
        main_->ShowDragCursor(true);
        break;
    case Act::ShowNormalCursor:
        main_->ShowDragCursor(false);
        break;
    case Act::HideMainWindow:
        main_->ShowWithTaskbarButton(false);
        break;
    case Act::ShowMainWindow:
        main_->ShowWithTaskbarButton(true);
        break;
    case Act::RestoreMainWindow:
        main_->Restore();
        break;
    case Act::BringModalToFront:
        Application::Get().BringModalToFront();
        break;
    case Act::CloseMainWindow:
        main_->Close();
        break;
    case Act::EndProgram: {
        // As a form's close ends the program when it is the application's main form.
        Application& app = Application::Get();
        if (app.MainForm() == main_.get())
            app.Terminate();
        else
            main_->SetVisible(false);
        break;
    }
    case Act::WaitForCompositor:
        WaitForCompositor();
        break;
    case Act::Grab:
        Grab(window, action.grab);
        break;
    case Act::CopyToClipboard:
        CopyLastImage(action.report_failure);
        break;
    case Act::SaveAutomatically:
        SaveLastImageAutomatically(window);
        break;
    case Act::SetTrayIcon:
        tray_->ShowIcon(action.tray_icon);
        break;
    case Act::ShowSettings:
        main_->ShowSettings(session_.settings());
        break;
    case Act::WriteSettings:
        if (settingsWritable_) WriteSettingsFile(settingsPath_, session_.settings());
        break;
    case Act::StartTimer:
        TimerFor(action.timer).SetInterval(action.period_ms);
        TimerFor(action.timer).SetEnabled(true);
        break;
    case Act::StopTimer:
        TimerFor(action.timer).SetEnabled(false);
        break;
    case Act::InstallHook:
        if (const DragHook::Installed installed = hook_.Install(main_->Handle()); installed != DragHook::Installed::Yes)
            Send(core::HookFailed{installed == DragHook::Installed::NoBlock});
        break;
    case Act::RemoveHook:
        hook_.Remove();
        break;
    case Act::PressRecopyButton:
        main_->PressRecopyButton(action.pressed);
        break;
    case Act::RunCommand:
        main_->RunViewCommand(action.command);
        break;
    case Act::ShowTrayMenu:
    case Act::ShowHookFailure:
    case Act::ShowTrayDragsUnavailable:
        break; // opening: above
    }
}

core::ReleaseScene Program::SceneAtRelease() const {
    return SceneAtRelease(session_.target());
}

core::ReleaseScene Program::SceneAtRelease(core::WindowId target) const {
    auto core = [](const RECT& r) { return core::Rect{r.left, r.top, r.right, r.bottom}; };
    core::ReleaseScene scene;
    if (HWND window = WindowOf(target)) scene.target = core(VisibleBounds(window));
    if (main_->Visible()) scene.main_window = core(VisibleBounds(main_->Handle()));
    scene.frame = frame_.Shown();
    scene.compositor = CompositorRuns();
    return scene;
}

// What a failure says, whatever raised it.
static std::wstring FailureMessage(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Error& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return OutOfMemoryMessage();
    } catch (const std::exception& e) {
        return FromUtf8(e.what());
    } catch (...) {
        return L"Unknown error";
    }
}

void Program::Grab(HWND target, int how) {
    bool image = false;
    try {
        ScreenImage grabbed = GrabWindow(target, (how & core::kGrabWithCursor) != 0, (how & core::kGrabPrinted) != 0);
        if (grabbed.bitmap) {
            main_->ShowImage(std::move(grabbed.bitmap), grabbed.size);
            image = true;
        }
    } catch (...) {
        // The last image stays; the capture ends as one that found nothing, and says why.
        failureToTell_ = FailureMessage(std::current_exception());
    }
    Send(core::GrabFinished{image});
}

void Program::CopyLastImage(bool reportFailure) {
    try {
        clipboard_.Copy(main_->SharedLastImage(), main_->LastImageSize());
    } catch (...) {
        if (reportFailure) throw;
    }
}

void Program::SaveLastImageAutomatically(HWND captured) {
    try {
        SaveAutomatically(main_->LastImage(), captured, session_.settings(), ++autoSaved_);
    } catch (...) {
        failureToTell_ = FailureMessage(std::current_exception());
    }
}

void Program::EditOptions() {
    OptionsDialog dialog;
    // Global shortcut keys and the start with Windows
    dialog.ShowStartWithWindows(ReadStartupEntry().has_value());
    dialog.OnApply = [this](const core::Settings& chosen, bool startWithWindows) {
        ApplySystemOptions(chosen, startWithWindows);
    };
    const auto chosen = dialog.Edit(session_.settings());
    if (!chosen) return;
    const bool languageChanged = LanguageFor(chosen->language) != ShownLanguage();
    Send(core::OptionsApplied{*chosen});
    if (languageChanged) {
        ShowLanguage(LanguageFor(chosen->language));
        main_->ShowTexts();
        tray_->ShowTexts();
    }
}

void Program::ReportStartUpProblems() {
    for (const std::wstring& message : std::exchange(startUpProblems_, {}))
        Application::Get().ShowMessage(message.c_str(), Application::Get().Title().c_str(), MB_OK | MB_ICONWARNING);
}

void Program::ApplySystemOptions(const core::Settings& chosen, bool startWithWindows) {
    Application& app = Application::Get();
    const std::vector<uint16_t> held = keys_->Hold(chosen.pointer_window_key, chosen.active_window_key);
    if (!held.empty()) app.ShowMessage(KeysHeldMessage(held).c_str(), app.Title().c_str(), MB_OK | MB_ICONWARNING);
    // Only a change is written: a value that names another path stays as the user left it.
    if (startWithWindows == ReadStartupEntry().has_value()) return;
    try {
        SetStartWithWindows(startWithWindows, Application::ExePath());
    } catch (const Error& e) {
        ShowErrorBox(e.Message());
    }
}

void Program::SaveLastImage() {
    if (auto folder = SaveImageAs(main_->Handle(), main_->LastImage(), session_.settings().save_folder, saveDialog_))
        Send(core::SavedTo{std::move(*folder)});
}

void Program::OpenHelp() {
    Application& app = Application::Get();
    // A viewer already showing the help (the help file names its window) is brought up.
    if (HWND viewer = FindWindowW(kHelpWindowClass, kHelpWindowTitle)) {
        BringWindowToTop(viewer);
        ShowWindow(viewer, SW_SHOWNORMAL);
        return;
    }
    const std::wstring path = Application::ExeFolder() + Texts().helpFile;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        app.ShowMessage(Texts().helpMissing, Texts().helpMissingCaption, 0);
        return;
    }
    // The help viewer may take its file name through the ANSI code page: a folder name it cannot
    // hold is handed over in its short form, where the file system keeps one.
    std::wstring opened = path;
    if (!FitsAnsiCodePage(path)) {
        std::wstring shortPath(MAX_PATH, L'\0');
        const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), MAX_PATH);
        shortPath.resize(length < MAX_PATH ? length : 0);
        if (!shortPath.empty() && FitsAnsiCodePage(shortPath)) opened = shortPath;
    }
    RequiredLateFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW")(
        app.Handle(), L"open", opened.c_str(), L"", nullptr, SW_SHOW);
}

std::unique_ptr<Program> StartProgram(const std::wstring& settingsPath) {
    auto program = std::make_unique<Program>(settingsPath);
    Application::Get().SetMainForm(&program->Main());
    program->ShowFirstWindow();
    return program;
}

int RunProgram(HINSTANCE instance) {
    // A second start shows the running Kelpix and ends, saying nothing.
    const OneInstance one;
    if (one.AnotherRuns()) {
        one.ShowTheOther();
        return 0;
    }
    Application& app = Application::Get();
    std::unique_ptr<Program> program;
    GuardedCall([&] {
        startup_trace::Mark("WinMain");
        app.Initialize(instance);
        startup_trace::Mark("application window");
        program = StartProgram();
        startup_trace::Finish();
        // A program moved to another folder keeps starting with Windows from its new place. A
        // refusal is not the user's business now: the options dialog shows the entry as it is.
        try {
            UpdateStartupEntry(Application::ExePath());
        } catch (const Error&) {}
        program->ReportStartUpProblems();
        app.Run();
    });
    GuardedCall([&] { program.reset(); });
    app.Shutdown();
    return 0;
}

} // namespace kelpix
