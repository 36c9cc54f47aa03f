#include "app/program.h"

#include "app/one_instance.h"
#include "app/startup_trace.h"
#include "core/session_trace.h"
#include "services/auto_save.h"
#include "services/copied_file.h"
#include "services/image_drag.h"
#include "services/late_library.h"
#include "services/platform.h"
#include "services/screen_grab.h"
#include "services/startup_entry.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "ui/options_dialog.h"

#include <cstdlib>

namespace kelpix {

namespace {

constexpr wchar_t kHelpWindowClass[] = L"HH Parent";
constexpr wchar_t kHelpWindowTitle[] = L"Kelpix"; // set by the help files' window definition

// What a failure says, whatever raised it.
std::wstring FailureMessage(std::exception_ptr failure) {
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

} // namespace

Program::Program(std::wstring settingsPath)
    : settingsPath_(std::move(settingsPath)), session_(ReadSettings()),
      runner_(session_, *this, [this](const core::Event& event, const core::Actions& actions) {
          if (trace_) Trace(event, actions);
      }) {
    startup_trace::Mark("settings");
    if (const wchar_t* tracePath = _wgetenv(L"KELPIX_TRACE"); tracePath && *tracePath) {
        trace_.reset(_wfopen(tracePath, L"ab"));
        if (trace_) std::fprintf(trace_.get(), "%s\n", core::TraceLine(session_.settings()).c_str());
    }
    ShowLanguage(LanguageFor(session_.settings().language));
    startup_trace::Mark("language and font");
    for (const core::TimerRow& row : core::kSessionTimers) {
        // The session decides what a tick means; the button state goes with the drag watch's.
        TimerFor(row.timer).SetOnTimer([this, timer = row.timer] {
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
    editor_.reset();
    keys_.reset();
    // The tray goes first: its icon leaves the notification area before the main window closes.
    tray_.reset();
    main_.reset();
}

void Program::ReportStartUpProblems() {
    for (const std::wstring& message : std::exchange(startUpProblems_, {}))
        Application::Get().ShowMessage(message.c_str(), Application::Get().Title().c_str(), MB_OK | MB_ICONWARNING);
}

void Program::Trace(const core::Event& event, const core::Actions& actions) {
    std::string lines = core::TraceLine(event) + "\n";
    for (const core::Action& action : actions)
        lines += core::TraceLine(action) + "\n";
    std::fputs(lines.c_str(), trace_.get());
    std::fflush(trace_.get());
}

void Program::Perform(const core::Action& action) {
    try {
        if (core::RowOf(action.act).opensOwnLoop)
            PerformOpening(action);
        else if (!PerformOnScreen(action) && !PerformCapture(action))
            PerformUpkeep(action);
    } catch (...) {
        Send(core::Failure{FailureMessage(std::current_exception())});
    }
}

bool Program::PerformOnScreen(const core::Action& action) {
    using core::Act;
    switch (action.act) {
    case Act::DrawFrame:
        frame_.Show(WindowOf(action.window));
        return true;
    case Act::EraseFrame:
        frame_.Hide();
        return true;
    case Act::ShowDragCursor:
    case Act::ShowNormalCursor:
        main_->ShowDragCursor(action.act == Act::ShowDragCursor);
        return true;
    case Act::HideMainWindow:
    case Act::ShowMainWindow:
        main_->ShowWithTaskbarButton(action.act == Act::ShowMainWindow);
        return true;
    case Act::RestoreMainWindow:
        main_->Restore();
        return true;
    case Act::BringModalToFront:
        Application::Get().BringModalToFront();
        return true;
    case Act::PressRecopyButton:
        main_->PressRecopyButton(action.on);
        return true;
    case Act::RestoreDefaultSize:
        main_->RestoreDefaultSize();
        return true;
    case Act::FitToWindowBelow:
        main_->FitToWindowBelow();
        return true;
    case Act::ShowTranslucent:
        main_->ShowTranslucent(action.on);
        return true;
    case Act::ShowSettings:
        main_->ShowSettings(session_.settings());
        return true;
    default:
        return false;
    }
}

bool Program::PerformCapture(const core::Action& action) {
    using core::Act;
    switch (action.act) {
    case Act::WaitForCompositor:
        WaitForCompositor();
        return true;
    case Act::Grab:
        Grab(WindowOf(action.window), action.grab);
        return true;
    case Act::CopyToClipboard:
        CopyLastImage(action);
        return true;
    case Act::SaveAutomatically:
        SaveLastImageAutomatically();
        return true;
    case Act::KeepRecentCapture:
        if (main_->CurrentImage()) recent_.Keep(main_->CurrentImage());
        return true;
    case Act::RestoreRecentCapture:
        RestoreRecentCapture(action.capture_number);
        return true;
    case Act::InstallHook:
        if (const DragHook::Installed installed = hook_.Install(main_->Handle()); installed != DragHook::Installed::Yes)
            Send(core::HookFailed{installed == DragHook::Installed::NoBlock});
        return true;
    case Act::RemoveHook:
        hook_.Remove();
        return true;
    default:
        return false;
    }
}

bool Program::PerformUpkeep(const core::Action& action) {
    using core::Act;
    switch (action.act) {
    case Act::StartTimer:
        TimerFor(action.timer).SetInterval(core::RowOf(action.timer).period_ms);
        TimerFor(action.timer).SetEnabled(true);
        return true;
    case Act::StopTimer:
        TimerFor(action.timer).SetEnabled(false);
        return true;
    case Act::SetTrayIcon:
        tray_->ShowIcon(action.tray_icon);
        return true;
    case Act::WriteSettings:
        if (settingsWritable_) WriteSettingsFile(settingsPath_, session_.settings());
        return true;
    case Act::HoldShortcutKeys:
        HoldShortcutKeys();
        return true;
    case Act::OpenEditor:
        OpenEditor();
        return true;
    case Act::SetStartWithWindows:
        SetStartWithWindows(action.on, Application::ExePath());
        return true;
    case Act::ShowLanguage:
        ShowLanguageOfSettings();
        return true;
    case Act::CloseMainWindow:
        main_->Close();
        return true;
    case Act::EndProgram:
        // As a form's close ends the program when it is the application's main form.
        if (Application::Get().MainForm() == main_.get())
            Application::Get().Terminate();
        else
            main_->SetVisible(false);
        return true;
    default:
        return false;
    }
}

void Program::PerformOpening(const core::Action& action) {
    using core::Act;
    switch (action.act) {
    case Act::ShowTrayMenu:
        tray_->ShowMenu();
        break;
    case Act::OpenSaveDialog:
        SaveLastImage();
        break;
    case Act::OpenOptions:
        EditOptions();
        break;
    case Act::OpenHelp:
        OpenHelp();
        break;
    case Act::DragImageOut:
        DragImageOut(main_->CurrentImage(), [this] { return FileOfLastImage(); });
        break;
    case Act::ShowMessage:
        ShowMessage(action);
        break;
    default:
        break;
    }
}

core::ReleaseScene Program::SceneAtRelease() const {
    return SceneAtRelease(session_.target());
}

core::ReleaseScene Program::SceneAtRelease(core::WindowId target) const {
    core::ReleaseScene scene;
    if (HWND window = WindowOf(target)) scene.target = VisibleBounds(window);
    if (main_->Visible()) scene.main_window = VisibleBounds(main_->Handle());
    scene.frame = frame_.Shown();
    scene.compositor = CompositorRuns();
    return scene;
}

void Program::Grab(HWND target, int how) {
    bool image = false;
    try {
        CapturedImage grabbed = GrabWindow(target, {.withCursor = (how & core::kGrabWithCursor) != 0,
                                                    .printed = (how & core::kGrabPrinted) != 0,
                                                    .shaped = (how & core::kGrabShaped) != 0});
        if (grabbed.bitmap) {
            grabbed.facts = CaptureFactsOf(target);
            main_->ShowImage(std::make_shared<const CapturedImage>(std::move(grabbed)));
            image = true;
        }
    } catch (...) {
        // The last image stays; the capture ends as one that found nothing, and says why.
        Send(core::Failure{FailureMessage(std::current_exception())});
    }
    Send(core::GrabFinished{image});
}

void Program::CopyLastImage(const core::Action& action) {
    const SharedImage& image = main_->CurrentImage();
    std::wstring file;
    std::exception_ptr fileFailure;
    if (action.with_file && image) {
        try {
            file = FileOfLastImage();
        } catch (...) {
            fileFailure = std::current_exception();
        }
    }
    try {
        clipboard_.Copy(image, file);
    } catch (...) {
        if (action.report_failure) throw;
    }
    // The picture is on the clipboard all the same; that its file could not be is told.
    if (fileFailure) std::rethrow_exception(fileFailure);
}

void Program::SaveLastImageAutomatically() {
    const SharedImage& image = main_->CurrentImage();
    if (!image) return;
    lastImageFile_ = {image, SaveAutomatically(*image, session_.settings(), ++autoSaved_)};
}

std::wstring Program::FileOfLastImage() {
    const SharedImage& image = main_->CurrentImage();
    // A file the user has moved or removed since is written anew.
    if (lastImageFile_.image.lock() != image ||
        GetFileAttributesW(lastImageFile_.path.c_str()) == INVALID_FILE_ATTRIBUTES)
        lastImageFile_ = {image, WriteCopiedFile(*image)};
    return lastImageFile_.path;
}

void Program::RestoreRecentCapture(uint32_t number) {
    // One that has gone from the list since its menu opened brings nothing back.
    if (SharedImage image = recent_.Restore(number)) {
        main_->ShowImage(std::move(image));
        Send(core::RecentCaptureRestored{});
    }
}

void Program::HoldShortcutKeys() {
    const core::Settings& s = session_.settings();
    if (const std::vector<uint16_t> held = keys_->Hold(s.pointer_window_key, s.active_window_key); !held.empty())
        Send(core::Failure{KeysHeldMessage(held), true});
}

void Program::ShowLanguageOfSettings() {
    const core::Language shown = LanguageFor(session_.settings().language);
    if (shown == ShownLanguage()) return;
    ShowLanguage(shown);
    main_->ShowTexts();
    tray_->ShowTexts();
}

void Program::ShowMessage(const core::Action& action) {
    Application& app = Application::Get();
    switch (action.message) {
    case core::Message::HookInstallFailed:
        app.ShowMessage(Texts().hookInstallFailed, app.Title().c_str(), MB_OK);
        break;
    case core::Message::TrayDragsUnavailable:
        app.ShowMessage(Texts().trayDragsUnavailable, app.Title().c_str(), MB_OK | MB_ICONWARNING);
        break;
    case core::Message::Failure:
        ShowErrorBox(action.text);
        break;
    case core::Message::Warning:
        app.ShowMessage(action.text.c_str(), app.Title().c_str(), MB_OK | MB_ICONWARNING);
        break;
    }
}

void Program::EditOptions() {
    OptionsDialog dialog;
    const bool startsWithWindows = ReadStartupEntry().has_value();
    dialog.ShowStartWithWindows(startsWithWindows);
    // OK puts the choice into effect while the dialog is still up, so that what the system refuses
    // (a key another program holds) is said over it.
    dialog.OnApply = [this, startsWithWindows](const core::Settings& chosen, bool startWithWindows) {
        Send(core::OptionsApplied{chosen, startWithWindows, startsWithWindows});
    };
    dialog.Edit(session_.settings());
}

void Program::OpenEditor() {
    if (!editor_) {
        editor_ = std::make_unique<MarkupWindow>();
        editor_->OnDone = [this](SharedImage image) { TakeEditedImage(std::move(image)); };
        editor_->OnCopy = [this](SharedImage image) { CopyEditedImage(std::move(image)); };
        editor_->OnSave = [this](SharedImage image) { return SaveEditedImage(std::move(image)); };
        editor_->OnDragOut = [this](SharedImage image) { return DragEditedImage(std::move(image)); };
    }
    editor_->Open(main_->CurrentImage(), main_->Handle());
}

void Program::TakeEditedImage(SharedImage image) {
    main_->ShowImage(std::move(image));
    Send(core::ImageEdited{});
}

void Program::CopyEditedImage(SharedImage image) {
    try {
        clipboard_.Copy(std::move(image));
    } catch (...) {
        Send(core::Failure{FailureMessage(std::current_exception())});
    }
}

bool Program::SaveEditedImage(SharedImage image) {
    try {
        auto folder = SaveImageAs(editor_->Handle(), *image, session_.settings().save_folder, saveDialog_);
        if (folder) Send(core::SavedTo{std::move(*folder)});
        return folder.has_value();
    } catch (...) {
        Send(core::Failure{FailureMessage(std::current_exception())});
        return false;
    }
}

bool Program::DragEditedImage(SharedImage image) {
    try {
        // The marked image may change before the next drag: each has a file of its own.
        return DragImageOut(image, [image] { return WriteCopiedFile(*image); });
    } catch (...) {
        Send(core::Failure{FailureMessage(std::current_exception())});
        return false;
    }
}

void Program::SaveLastImage() {
    static const CapturedImage nothing{}; // saved as an empty file, as before any capture
    const CapturedImage& image = main_->CurrentImage() ? *main_->CurrentImage() : nothing;
    if (auto folder = SaveImageAs(main_->Handle(), image, session_.settings().save_folder, saveDialog_))
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
        // Files copied a day ago or more have had their time for a paste.
        RemoveStaleCopiedFiles();
        program->ReportStartUpProblems();
        app.Run();
    });
    GuardedCall([&] { program.reset(); });
    app.Shutdown();
    return 0;
}

} // namespace kelpix
