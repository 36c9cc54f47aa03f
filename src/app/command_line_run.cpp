#include "app/command_line_run.h"

#include "app/startup_trace.h"
#include "services/auto_save.h"
#include "services/clipboard_image.h"
#include "services/console_output.h"
#include "services/image_files.h"
#include "services/screen_grab.h"
#include "services/settings_file.h"
#include "services/texts.h"
#include "services/window_finding.h"

#include <optional>
#include <string>

namespace kelpix {

namespace {

using core::ExitCode;

// How long the clipboard is tried while another program holds it.
constexpr ULONGLONG kClipboardPatienceMs = 1000;

// A capture that ends before its file is written: the exit code and the line that says why.
struct RunEnds {
    ExitCode code;
    std::wstring line;
};

// The text on one line: its line ends and tabs become spaces.
std::wstring OneLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    return text;
}

RunEnds CannotWrite(const std::wstring& path, const std::wstring& reason) {
    return {ExitCode::CannotWriteFile, core::FillIn(Texts().cannotWriteFileFormat, {path, reason})};
}

// Held while the image is delivered (clipboard and file), so that a Ctrl+C or the console's close,
// which end the program, wait until nothing is half done.
SRWLOCK g_delivery = SRWLOCK_INIT;

BOOL WINAPI EndOnceDelivered(DWORD) {
    AcquireSRWLockExclusive(&g_delivery);
    ReleaseSRWLockExclusive(&g_delivery);
    return FALSE; // the system's own handling follows: the program ends
}

class DeliveryUnderWay {
public:
    DeliveryUnderWay() { AcquireSRWLockExclusive(&g_delivery); }
    ~DeliveryUnderWay() { ReleaseSRWLockExclusive(&g_delivery); }
    DeliveryUnderWay(const DeliveryUnderWay&) = delete;
    DeliveryUnderWay& operator=(const DeliveryUnderWay&) = delete;
};

void AnswerMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

// Waits, answering this thread's messages meanwhile.
void Wait(ULONGLONG milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        AnswerMessages();
    }
}

core::Settings ReadSettings() {
    try {
        return ReadSettingsFile(DefaultSettingsPath()).value_or(core::Settings{});
    } catch (const Error&) {
        return {}; // a file too large to be the settings: the defaults, as the program takes them
    }
}

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path; // a name the system cannot read: the write says why
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

// Refuses, before anything else, a target that is a folder or, without --overwrite, a file that exists.
void RefuseTakenTarget(const std::wstring& target, bool overwrite) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    // The system's words for writing over a folder.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw CannotWrite(target, SystemMessage(ERROR_ACCESS_DENIED));
    if (!overwrite) throw RunEnds{ExitCode::FileExists, core::FillIn(Texts().fileExistsFormat, {target})};
}

SharedImage Grab(HWND window, const core::CaptureRequest& request, bool shaped) {
    const RunEnds failed{ExitCode::CaptureFailed, Texts().windowCaptureFailed};
    // A hidden window has no picture on the screen (nor has a minimised one: GrabWindow gives none).
    if (!IsWindowVisible(window)) throw failed;
    CapturedImage image;
    try {
        image =
            GrabWindow(window, {.withCursor = request.drawCursor, .printed = request.includeCovered, .shaped = shaped});
    } catch (const Error& e) {
        throw RunEnds{ExitCode::CaptureFailed, e.Message()};
    } catch (const std::bad_alloc&) {
        throw RunEnds{ExitCode::CaptureFailed, OutOfMemoryMessage()};
    }
    if (!image.bitmap) throw failed;
    image.facts = CaptureFactsOf(window);
    return std::make_shared<const CapturedImage>(std::move(image));
}

void CopyToClipboard(ClipboardImage& clipboard, const SharedImage& image) {
    // Another program may hold the clipboard for a moment (a clipboard manager reading a copy).
    const ULONGLONG giveUp = GetTickCount64() + kClipboardPatienceMs;
    for (;;) {
        try {
            clipboard.Copy(image);
            return;
        } catch (const Error& e) {
            if (GetTickCount64() >= giveUp) throw RunEnds{ExitCode::CaptureFailed, e.Message()};
        }
        Wait(50);
    }
}

// Writes the image's file; returns its full path.
std::wstring WriteImage(const CapturedImage& image, const core::CaptureRequest& request,
                        const std::optional<std::wstring>& target, core::Settings settings) {
    const core::ImageFormat format = request.format;
    try {
        if (!target) {
            settings.auto_save_format = format;
            return FullPath(SaveAutomatically(image, settings, 1));
        }
        if (request.overwrite)
            SaveImageFile(*target, format, image);
        else
            SaveNewImageFile(*target, format, image);
        return *target;
    } catch (const FileError& e) {
        // A file made under the name meanwhile.
        if (target && !request.overwrite && GetFileAttributesW(target->c_str()) != INVALID_FILE_ATTRIBUTES)
            throw RunEnds{ExitCode::FileExists, core::FillIn(Texts().fileExistsFormat, {*target})};
        throw CannotWrite(e.Path(), e.Reason());
    } catch (const Error& e) {
        throw CannotWrite(target.value_or(AutoSaveFolder(settings)), e.Message());
    } catch (const std::bad_alloc&) {
        throw CannotWrite(target.value_or(AutoSaveFolder(settings)), OutOfMemoryMessage());
    }
}

// The image on the clipboard when asked, then in its file; returns the file's full path. The
// clipboard gets what it is still owed before this returns.
std::wstring Deliver(const SharedImage& image, const core::CaptureRequest& request,
                     const std::optional<std::wstring>& target, const core::Settings& settings) {
    const DeliveryUnderWay delivery;
    ClipboardImage clipboard;
    if (request.copyToClipboard) CopyToClipboard(clipboard, image);
    std::wstring written = WriteImage(*image, request, target, settings);
    // A paste asked for meanwhile is answered while the image is still owed.
    AnswerMessages();
    return written;
}

int Capture(const core::CaptureRequest& request, const core::Settings& settings) {
    std::optional<std::wstring> target;
    if (request.outPath) {
        target = FullPath(*request.outPath);
        RefuseTakenTarget(*target, request.overwrite);
    }
    Wait(static_cast<ULONGLONG>(request.delaySeconds) * 1000);
    const HWND window = FindWindowFor(request.window);
    if (!window)
        throw RunEnds{ExitCode::NoWindowMatched, core::FillIn(Texts().noWindowMatchedFormat, {request.window.written})};
    startup_trace::Mark("window found");
    const SharedImage image = Grab(window, request, settings.shape_mask);
    startup_trace::Mark("grabbed");
    const std::wstring written = Deliver(image, request, target, settings);
    startup_trace::Mark("delivered");
    WriteText(OutputStream::Output, written + L"\n");
    return static_cast<int>(ExitCode::Success);
}

int Fail(ExitCode code, const std::wstring& line, const wchar_t* after = L"") {
    WriteText(OutputStream::Error, OneLine(line) + L"\n" + after);
    return static_cast<int>(code);
}

int RunCommand(const core::CommandLine& command) {
    startup_trace::Mark("WinMain");
    SetConsoleCtrlHandler(&EndOnceDelivered, TRUE);
    AttachToStartingConsole();
    // The first look for messages: the system stops showing the start-up cursor over the screen.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const core::Settings settings = ReadSettings();
    ShowLanguage(LanguageFor(settings.language));
    startup_trace::Mark("settings and language");

    if (std::holds_alternative<core::UsageWanted>(command)) {
        WriteText(OutputStream::Output, Texts().commandLineUsage);
        return static_cast<int>(ExitCode::Success);
    }
    if (const auto* problem = std::get_if<core::UsageProblem>(&command))
        return Fail(ExitCode::BadUsage, core::UsageErrorLine(*problem, Texts()), Texts().commandLineUsage);
    const auto* request = std::get_if<core::CaptureRequest>(&command);
    if (!request) return static_cast<int>(ExitCode::Success);
    try {
        return Capture(*request, settings);
    } catch (const RunEnds& end) {
        return Fail(end.code, end.line);
    } catch (const Error& e) {
        return Fail(ExitCode::CaptureFailed, e.Message());
    } catch (const std::bad_alloc&) {
        return Fail(ExitCode::CaptureFailed, OutOfMemoryMessage());
    }
}

} // namespace

int RunCommandLine(const core::CommandLine& command) {
    const int code = RunCommand(command);
    // The steps' times, when KELPIX_STARTUP_TRACE names a file (the benchmark's).
    startup_trace::Finish();
    return code;
}

} // namespace kelpix
