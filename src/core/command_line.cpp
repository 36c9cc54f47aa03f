#include "core/command_line.h"

#include <array>
#include <cstddef>

namespace kelpix::core {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether `text` is `lower` (plain ASCII, lower case) but for the case of its letters.
bool SameIgnoringCase(std::wstring_view text, std::wstring_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (AsciiLower(text[i]) != lower[i]) return false;
    return true;
}

bool StartsIgnoringCase(std::wstring_view text, std::wstring_view lower) {
    return text.size() >= lower.size() && SameIgnoringCase(text.substr(0, lower.size()), lower);
}

// ---- Splitting

// The program's path from the start of `line`; `at` is left on the first character after it.
std::wstring ProgramPath(std::wstring_view line, size_t& at) {
    std::wstring path;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        const wchar_t c = line[at];
        if (c == L'"')
            quoted = !quoted;
        else if (!quoted && IsBlank(c))
            break;
        else
            path += c;
    }
    return path;
}

// One argument from `at`, which is on its first character; `at` is left just after it.
std::wstring NextArgument(std::wstring_view line, size_t& at) {
    std::wstring argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
        const wchar_t c = line[at];
        if (c == L'\\') {
            size_t backslashes = 0;
            while (at < line.size() && line[at] == L'\\')
                ++backslashes, ++at;
            const bool beforeQuote = at < line.size() && line[at] == L'"';
            argument.append(beforeQuote ? backslashes / 2 : backslashes, L'\\');
            if (beforeQuote && backslashes % 2 == 1) argument += L'"', ++at;
        } else if (c == L'"') {
            if (quoted && at + 1 < line.size() && line[at + 1] == L'"')
                argument += L'"', ++at;
            else
                quoted = !quoted;
            ++at;
        } else {
            argument += c;
            ++at;
        }
    }
    return argument;
}

// ---- Options

enum class Option : uint8_t { Capture, Out, Format, Delay, Cursor, Covered, Clipboard, Overwrite, Help, Count };

struct OptionName {
    std::wstring_view name; // lower case
    Option option;
    bool takesValue;
};

constexpr OptionName kOptionNames[] = {
    {L"capture", Option::Capture, true},      {L"out", Option::Out, true},
    {L"format", Option::Format, true},        {L"delay", Option::Delay, true},
    {L"cursor", Option::Cursor, false},       {L"covered", Option::Covered, false},
    {L"clipboard", Option::Clipboard, false}, {L"overwrite", Option::Overwrite, false},
    {L"help", Option::Help, false},           {L"?", Option::Help, false},
};

// An argument that looks like an option: its name with the prefix as written, and the attached value.
struct WrittenOption {
    std::wstring_view written; // "--out", "/Out"
    std::wstring_view name;    // "out", "Out"
    std::optional<std::wstring_view> attached;
};

std::optional<WrittenOption> AsOption(std::wstring_view argument) {
    if (argument.empty() || (argument[0] != L'-' && argument[0] != L'/')) return std::nullopt;
    const size_t prefix = argument.starts_with(L"--") ? 2 : argument[0] == L'/' ? 1 : 0;
    WrittenOption option{argument, argument.substr(prefix), std::nullopt};
    if (const size_t separator = argument.find_first_of(L"=:", prefix); separator != std::wstring_view::npos) {
        option.written = argument.substr(0, separator);
        option.name = argument.substr(prefix, separator - prefix);
        option.attached = argument.substr(separator + 1);
    }
    if (prefix == 0) option.name = {}; // a single "-" is no spelling of any option
    return option;
}

const OptionName* Named(std::wstring_view name) {
    for (const OptionName& known : kOptionNames)
        if (!name.empty() && SameIgnoringCase(name, known.name)) return &known;
    return nullptr;
}

// "--help", "/help", "/?" (or "--?"), with no value attached, and "-?".
bool IsHelp(std::wstring_view argument) {
    const std::optional<WrittenOption> option = AsOption(argument);
    const OptionName* known = option && !option->attached ? Named(option->name) : nullptr;
    return argument == L"-?" || (known && known->option == Option::Help);
}

// Whether the argument is an option rather than a value: "--" anything, or "/" with a known name.
bool IsOption(std::wstring_view argument) {
    if (argument.starts_with(L"--")) return true;
    const std::optional<WrittenOption> option = AsOption(argument);
    return option && argument[0] == L'/' && Named(option->name);
}

// ---- Values

// A whole number of decimal digits, or hexadecimal ones after "0x" when `hexAllowed`, up to `largest`.
std::optional<uint32_t> Number(std::wstring_view text, bool hexAllowed, uint32_t largest) {
    unsigned base = 10;
    if (hexAllowed && StartsIgnoringCase(text, L"0x")) base = 16, text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (wchar_t c : text) {
        const wchar_t lower = AsciiLower(c);
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (base == 16 && lower >= L'a' && lower <= L'f')
            digit = static_cast<unsigned>(lower - L'a' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > largest) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<WhichWindow> ReadWhich(std::wstring_view which) {
    WhichWindow window;
    window.written = which;
    const auto after = [which](std::wstring_view word) { return which.substr(word.size()); };
    if (SameIgnoringCase(which, L"active")) {
        window.choice = WindowChoice::Active;
    } else if (SameIgnoringCase(which, L"pointer")) {
        window.choice = WindowChoice::UnderPointer;
    } else if (StartsIgnoringCase(which, L"title=") && !after(L"title=").empty()) {
        window.choice = WindowChoice::TitleContains;
        window.text = after(L"title=");
    } else if (StartsIgnoringCase(which, L"process=") && !after(L"process=").empty()) {
        const std::wstring_view name = after(L"process=");
        const bool digits = name.find_first_not_of(L"0123456789") == std::wstring_view::npos;
        const std::optional<uint32_t> id = digits ? Number(name, false, UINT32_MAX) : std::nullopt;
        if (digits && (!id || *id == 0)) return std::nullopt;
        window.choice = digits ? WindowChoice::ProcessId : WindowChoice::ProcessName;
        window.number = id.value_or(0);
        if (!digits) window.text = name;
    } else if (StartsIgnoringCase(which, L"window=")) {
        const std::optional<uint32_t> handle = Number(after(L"window="), true, UINT32_MAX);
        if (!handle || *handle == 0) return std::nullopt;
        window.choice = WindowChoice::Handle;
        window.number = *handle;
    } else {
        return std::nullopt;
    }
    return window;
}

std::optional<ImageFormat> ReadFormat(std::wstring_view name) {
    if (SameIgnoringCase(name, L"png")) return ImageFormat::Png;
    if (SameIgnoringCase(name, L"jpeg") || SameIgnoringCase(name, L"jpg")) return ImageFormat::Jpeg;
    if (SameIgnoringCase(name, L"bmp")) return ImageFormat::Bitmap;
    return std::nullopt;
}

// The format a file name's extension names, if any.
std::optional<ImageFormat> FormatOfName(std::wstring_view path) {
    const size_t dot = path.rfind(L'.');
    const size_t folder = path.find_last_of(L"\\/:");
    if (dot == std::wstring_view::npos || (folder != std::wstring_view::npos && folder > dot)) return std::nullopt;
    return ReadFormat(path.substr(dot + 1));
}

// ---- Reading

struct Reading {
    CaptureRequest request;
    std::optional<ImageFormat> format;
    std::array<bool, static_cast<size_t>(Option::Count)> given{};
};

std::optional<UsageProblem> TakeValue(Reading& reading, Option option, std::wstring_view written,
                                      std::wstring_view value) {
    const auto bad = [&](UsageFault fault) { return UsageProblem{fault, std::wstring(written), std::wstring(value)}; };
    switch (option) {
    case Option::Capture:
        if (std::optional<WhichWindow> which = ReadWhich(value)) {
            reading.request.window = std::move(*which);
            return std::nullopt;
        }
        return bad(UsageFault::BadWindowChoice);
    case Option::Out:
        reading.request.outPath = std::wstring(value);
        return std::nullopt;
    case Option::Format:
        if ((reading.format = ReadFormat(value))) return std::nullopt;
        return bad(UsageFault::BadFormat);
    case Option::Delay:
        if (auto seconds = Number(value, false, kLongestCommandLineDelay)) {
            reading.request.delaySeconds = static_cast<int32_t>(*seconds);
            return std::nullopt;
        }
        return bad(UsageFault::BadDelay);
    default:
        return std::nullopt;
    }
}

void TakeSwitch(CaptureRequest& request, Option option) {
    if (option == Option::Cursor) request.drawCursor = true;
    if (option == Option::Covered) request.includeCovered = true;
    if (option == Option::Clipboard) request.copyToClipboard = true;
    if (option == Option::Overwrite) request.overwrite = true;
}

// Reads the argument at `at`, and its value when it is in the next argument (`at` is left on it).
std::optional<UsageProblem> ReadArgument(Reading& reading, std::span<const std::wstring> arguments, size_t& at) {
    const std::wstring& argument = arguments[at];
    const std::optional<WrittenOption> written = AsOption(argument);
    if (!written) return UsageProblem{UsageFault::UnexpectedArgument, {}, argument};
    const std::wstring option(written->written);
    const OptionName* known = Named(written->name);
    if (!known) return UsageProblem{UsageFault::UnknownOption, option, {}};
    bool& given = reading.given[static_cast<size_t>(known->option)];
    if (given) return UsageProblem{UsageFault::RepeatedOption, option, {}};
    given = true;
    if (!known->takesValue) {
        if (written->attached) return UsageProblem{UsageFault::ValueNotTaken, option, {}};
        TakeSwitch(reading.request, known->option);
        return std::nullopt;
    }
    std::optional<std::wstring_view> value = written->attached;
    if (!value && at + 1 < arguments.size() && !IsOption(arguments[at + 1])) value = arguments[++at];
    if (!value || value->empty()) return UsageProblem{UsageFault::MissingValue, option, {}};
    return TakeValue(reading, known->option, option, *value);
}

} // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
    size_t at = 0;
    std::vector<std::wstring> arguments{ProgramPath(line, at)};
    for (;;) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at == line.size()) return arguments;
        arguments.push_back(NextArgument(line, at));
    }
}

CommandLine ReadCommandLine(std::span<const std::wstring> arguments) {
    if (arguments.empty()) return NormalStart{};
    for (const std::wstring& argument : arguments)
        if (IsHelp(argument)) return UsageWanted{};
    Reading reading;
    for (size_t at = 0; at < arguments.size(); ++at)
        if (std::optional<UsageProblem> problem = ReadArgument(reading, arguments, at)) return *problem;
    if (!reading.given[static_cast<size_t>(Option::Capture)])
        return UsageProblem{UsageFault::CaptureMissing, L"--capture", {}};
    CaptureRequest& request = reading.request;
    const std::optional<ImageFormat> named = request.outPath ? FormatOfName(*request.outPath) : std::nullopt;
    request.format = reading.format.value_or(named.value_or(ImageFormat::Png));
    return request;
}

std::wstring UsageErrorLine(const UsageProblem& problem, const TextTable& texts) {
    const std::wstring_view option = problem.option, value = problem.value;
    switch (problem.fault) {
    case UsageFault::UnknownOption:
        return FillIn(texts.unknownOptionFormat, {option});
    case UsageFault::MissingValue:
        return FillIn(texts.missingValueFormat, {option});
    case UsageFault::ValueNotTaken:
        return FillIn(texts.valueNotTakenFormat, {option});
    case UsageFault::RepeatedOption:
        return FillIn(texts.repeatedOptionFormat, {option});
    case UsageFault::UnexpectedArgument:
        return FillIn(texts.unexpectedArgumentFormat, {value});
    case UsageFault::CaptureMissing:
        return texts.captureOptionMissing;
    case UsageFault::BadWindowChoice:
        return FillIn(texts.badWindowChoiceFormat, {option, value});
    case UsageFault::BadFormat:
        return FillIn(texts.badFormatFormat, {option, value});
    case UsageFault::BadDelay:
        return FillIn(texts.badDelayFormat, {option, value});
    }
    return {};
}

} // namespace kelpix::core
