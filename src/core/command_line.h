// The command line of a scripted capture: Kelpix.exe --capture WHICH [options] captures one window,
// writes a file, prints its full path and ends with an exit code. This part turns the program's one
// command-line string into arguments, and the arguments into a request or a usage error.
//
// The rules of the arguments:
//   - No arguments at all: the program starts as usual, with its window.
//   - "--help", "/help", "/?" or "-?" anywhere (no value attached): the usage is printed, exit code 0.
//   - The options: --capture WHICH, --out FILE, --format NAME, --delay SECONDS, --cursor, --covered,
//     --clipboard, --overwrite. Each is written "--name" or "/name", and the name ignores case ("/OUT"
//     is "--out"); an argument that begins with "-" or "/" and names none of them is an unknown option.
//   - A value follows as the next argument ("--out shot.png"), or is attached to the name after the
//     first "=" or ":" ("--out=shot.png", "/out:C:\shot.png"). An attached value is taken as it
//     stands. A value in the next argument may be anything but another option (an argument that
//     begins with "--", or "/" and an option's name), so a forgotten value is reported instead
//     of swallowing the next option: "--out --cursor" lacks a file; "--out=--cursor" names one.
//   - Each option is given at most once; --capture is needed whenever there are arguments. Anything
//     else (a word that is no option's value) is a usage error; the first fault found is reported.
//   - WHICH: "active", "pointer", "title=TEXT", "process=NAME", "process=PID" or "window=HANDLE"; the
//     words before "=" ignore case. TEXT and NAME are not empty; "process=" with decimal digits alone
//     is a PID, not 0; a HANDLE is decimal, or hexadecimal after "0x", not 0 and at most 0xFFFFFFFF
//     (window handles are 32-bit values in 32-bit and 64-bit programs alike).
//   - --format png, jpeg, jpg or bmp (ignoring case). The format is --format's, else the one --out's
//     extension names (.png, .jpg, .jpeg, .bmp, ignoring case), else PNG. When --format and the
//     extension disagree, --format wins and the file keeps the name it was given: a script that asks
//     for a name gets exactly that name.
//   - --delay SECONDS: decimal digits, 0 to kLongestCommandLineDelay.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/image_format.h"
#include "core/texts.h"

namespace kelpix::core {

// How a scripted capture ends.
enum class ExitCode : int32_t {
    Success = 0,
    BadUsage = 1,        // the usage follows the line that says what is wrong
    NoWindowMatched = 2, // no window is what WHICH asks for
    CaptureFailed = 3,
    CannotWriteFile = 4, // with the system's reason
    FileExists = 5,      // and --overwrite was not given
};

// The longest --delay: an hour. A script that needs to wait longer waits better by itself, and a
// slip of the keyboard (--delay 60000) is reported instead of leaving a capture pending for a day.
inline constexpr int32_t kLongestCommandLineDelay = 3600;

// The arguments of a command line as GetCommandLineW gives it, split by the rules Windows programs
// use (those of CommandLineToArgvW and the C runtime). The first is the program's path, always
// present (empty for an empty line): it ends at the first space or tab outside quotes, and its
// quotes are dropped, with no other rule. The others are separated by spaces and tabs; quotes group
// and are dropped; inside quotes "" is one quote; 2n backslashes before a quote are n backslashes
// and the quote groups, 2n+1 are n backslashes and a literal quote; other backslashes are literal.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

enum class WindowChoice : uint8_t {
    Active,        // the active window
    UnderPointer,  // the window under the mouse pointer
    TitleContains, // the first visible top-level window whose caption contains `text`, ignoring case
    ProcessName,   // a window of the process whose executable is named `text` (such as notepad.exe)
    ProcessId,     // a window of the process `number`
    Handle,        // the window whose handle is `number`
};

struct WhichWindow {
    WindowChoice choice = WindowChoice::Active;
    std::wstring text;    // TitleContains, ProcessName
    uint32_t number = 0;  // ProcessId, Handle
    std::wstring written; // WHICH as the command line gave it, for the message when nothing matches
    friend bool operator==(const WhichWindow&, const WhichWindow&) = default;
};

struct CaptureRequest {
    WhichWindow window;
    std::optional<std::wstring> outPath; // nothing: the automatic-save folder, under its name pattern
    ImageFormat format = ImageFormat::Png;
    int32_t delaySeconds = 0;
    bool drawCursor = false;     // --cursor
    bool includeCovered = false; // --covered: the window prints itself, parts under other windows too
    bool copyToClipboard = false;
    bool overwrite = false;
    friend bool operator==(const CaptureRequest&, const CaptureRequest&) = default;
};

enum class UsageFault : uint8_t {
    UnknownOption,      // `option`
    MissingValue,       // `option`
    ValueNotTaken,      // `option` takes no value, but one was attached
    RepeatedOption,     // `option`, as written the second time
    UnexpectedArgument, // `value`: an argument that is neither an option nor an option's value
    CaptureMissing,     // options without --capture
    BadWindowChoice,    // `option`, `value`
    BadFormat,          // `option`, `value`
    BadDelay,           // `option`, `value`
};

struct UsageProblem {
    UsageFault fault = UsageFault::UnknownOption;
    std::wstring option; // as written, without an attached value: "/Out", "--delay"
    std::wstring value;
    friend bool operator==(const UsageProblem&, const UsageProblem&) = default;
};

struct NormalStart {
    friend bool operator==(const NormalStart&, const NormalStart&) = default;
};
struct UsageWanted {
    friend bool operator==(const UsageWanted&, const UsageWanted&) = default;
};

using CommandLine = std::variant<NormalStart, UsageWanted, CaptureRequest, UsageProblem>;

// What the arguments after the program's path ask for.
CommandLine ReadCommandLine(std::span<const std::wstring> arguments);

// The one line that says what is wrong, in the language of `texts`; the usage (texts.commandLineUsage)
// is printed after it.
std::wstring UsageErrorLine(const UsageProblem& problem, const TextTable& texts);

} // namespace kelpix::core
