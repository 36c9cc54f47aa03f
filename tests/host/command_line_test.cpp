#include "core/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

using Arguments = std::vector<std::wstring>;

// A command line's meaning in one line: "start", "usage", "error <fault> <option>|<value>", or the
// request: the window, then out:PATH, the format and every option given.
std::wstring Described(const CommandLine& line) {
    if (std::holds_alternative<NormalStart>(line)) return L"start";
    if (std::holds_alternative<UsageWanted>(line)) return L"usage";
    if (const auto* problem = std::get_if<UsageProblem>(&line)) {
        static const wchar_t* const faults[] = {L"unknown",    L"missing", L"not-taken", L"repeated", L"unexpected",
                                                L"no-capture", L"which",   L"format",    L"delay"};
        return std::wstring(L"error ") + faults[static_cast<int>(problem->fault)] + L" " + problem->option + L"|" +
               problem->value;
    }
    const CaptureRequest& request = std::get<CaptureRequest>(line);
    static const wchar_t* const choices[] = {L"active", L"pointer", L"title:", L"process:", L"pid:", L"handle:"};
    std::wstring text = choices[static_cast<int>(request.window.choice)] + request.window.text;
    if (request.window.number) text += std::to_wstring(request.window.number);
    if (request.outPath) text += L" out:" + *request.outPath;
    static const wchar_t* const formats[] = {L"", L" bmp", L" jpeg", L" png"};
    text += formats[static_cast<int>(request.format)];
    if (request.delaySeconds) text += L" delay:" + std::to_wstring(request.delaySeconds);
    if (request.drawCursor) text += L" cursor";
    if (request.includeCovered) text += L" covered";
    if (request.copyToClipboard) text += L" clipboard";
    if (request.overwrite) text += L" overwrite";
    return text;
}

struct Row {
    Arguments arguments;
    std::wstring meaning;
};

void ExpectMeanings(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        std::wstring line;
        for (const std::wstring& argument : row.arguments)
            line += L"[" + argument + L"]";
        EXPECT_EQ(Described(ReadCommandLine(row.arguments)), row.meaning) << testing::PrintToString(line);
    }
}

TEST(CommandLine, RequestsHelpAndStart) {
    const auto capture = [](Arguments more) {
        more.insert(more.begin(), {L"--capture", L"active"});
        return more;
    };
    ExpectMeanings({{{}, L"start"},
                    {{L"--help"}, L"usage"},
                    {{L"/?"}, L"usage"},
                    {{L"-?"}, L"usage"},
                    {{L"/HELP"}, L"usage"},
                    {capture({L"--bogus", L"--?"}), L"usage"},
                    {{L"--out", L"--Help"}, L"usage"}, // a separate value is never an option
                    {capture({L"--out=/?"}), L"active out:/? png"},
                    // which window
                    {{L"--capture", L"ACTIVE"}, L"active png"},
                    {{L"--capture", L"pointer"}, L"pointer png"},
                    {{L"--capture", L"title=無題 - メモ帳"}, L"title:無題 - メモ帳 png"},
                    {{L"/capture:Title=a=b:c"}, L"title:a=b:c png"},
                    {{L"--capture", L"process=notepad.exe"}, L"process:notepad.exe png"},
                    {{L"--capture", L"PROCESS=1234"}, L"pid:1234 png"},
                    {{L"--capture", L"process=4294967295"}, L"pid:4294967295 png"},
                    {{L"--capture=window=66666"}, L"handle:66666 png"},
                    {{L"--capture", L"window=0x1A2b"}, L"handle:6699 png"},
                    {{L"--capture", L"Window=0X00000000000A01B2"}, L"handle:655794 png"},
                    {{L"--capture", L"window=0xFFFFFFFF"}, L"handle:4294967295 png"},
                    // the file and its format: --format, else the extension, else PNG
                    {capture({L"--out", L"shot.png"}), L"active out:shot.png png"},
                    {capture({L"/out:C:\\shots\\a.JPG"}), L"active out:C:\\shots\\a.JPG jpeg"},
                    {capture({L"--OUT=D:\\x.jpeg"}), L"active out:D:\\x.jpeg jpeg"},
                    {capture({L"--out", L"x.Bmp"}), L"active out:x.Bmp bmp"},
                    {capture({L"--out", L"x.gif"}), L"active out:x.gif png"},
                    {capture({L"--out", L"C:\\my.bmp\\shot"}), L"active out:C:\\my.bmp\\shot png"},
                    {capture({L"--out", L"/shots/a.bmp"}), L"active out:/shots/a.bmp bmp"},
                    {capture({L"--out", L"C:\\写真\\😀 窓.jpg"}), L"active out:C:\\写真\\😀 窓.jpg jpeg"},
                    {capture({L"--format", L"bmp", L"--out", L"x.png"}), L"active out:x.png bmp"},
                    {capture({L"--format", L"JPG"}), L"active jpeg"},
                    {capture({L"/Format=Png", L"--out", L"x.jpg"}), L"active out:x.jpg png"},
                    {capture({L"--out=--cursor"}), L"active out:--cursor png"},
                    // the delay and the switches
                    {capture({L"--delay", L"0"}), L"active png"},
                    {capture({L"--delay=007"}), L"active png delay:7"},
                    {capture({L"/delay:3600"}), L"active png delay:3600"},
                    {capture({L"--cursor", L"/COVERED", L"--clipboard", L"/overwrite"}),
                     L"active png cursor covered clipboard overwrite"}});
}

TEST(CommandLine, UsageErrorsNameTheFirstFault) {
    for (const wchar_t* bad : {L"title=", L"process=", L"process=0", L"process=4294967296", L"window=0", L"window=0x",
                               L"window=-1", L"window=0x100000000", L"window=12ab", L"window=", L"focus", L" active"})
        ExpectMeanings({{{L"--capture", bad}, L"error which --capture|" + std::wstring(bad)}});
    const auto capture = [](Arguments more) {
        more.insert(more.begin(), {L"--capture", L"active"});
        return more;
    };
    ExpectMeanings({{{L"--cursor"}, L"error no-capture --capture|"},
                    {{L"--out", L"x.png"}, L"error no-capture --capture|"},
                    {{L"--bogus", L"--capture", L"active"}, L"error unknown --bogus|"},
                    {{L"-out", L"x.png"}, L"error unknown -out|"},
                    {{L"/x:1"}, L"error unknown /x|"},
                    {{L"--"}, L"error unknown --|"},
                    {{L"－－cursor"}, L"error unexpected |－－cursor"},
                    {{L"shot.png"}, L"error unexpected |shot.png"},
                    {capture({L"extra"}), L"error unexpected |extra"},
                    {{L""}, L"error unexpected |"},
                    {{L"--capture"}, L"error missing --capture|"},
                    {capture({L"--out"}), L"error missing --out|"},
                    {capture({L"--out", L"--cursor"}), L"error missing --out|"},
                    {capture({L"--out", L"--cursr.png"}), L"error missing --out|"},
                    {capture({L"--out", L"/Cursor"}), L"error missing --out|"},
                    {capture({L"--out="}), L"error missing --out|"},
                    {capture({L"--out", L""}), L"error missing --out|"},
                    {capture({L"--cursor=yes"}), L"error not-taken --cursor|"},
                    {capture({L"/overwrite:1"}), L"error not-taken /overwrite|"},
                    {{L"--help=yes"}, L"error not-taken --help|"},
                    {capture({L"--out", L"a.png", L"/OUT", L"b.png"}), L"error repeated /OUT|"},
                    {capture({L"--capture", L"active"}), L"error repeated --capture|"},
                    {{L"--cursor", L"--capture", L"active", L"/cursor"}, L"error repeated /cursor|"},
                    {capture({L"--format", L"gif"}), L"error format --format|gif"},
                    {capture({L"--format=jpe"}), L"error format --format|jpe"},
                    {capture({L"--delay", L"3601"}), L"error delay --delay|3601"},
                    {capture({L"--delay", L"-1"}), L"error delay --delay|-1"},
                    {capture({L"/delay:1.5"}), L"error delay /delay|1.5"},
                    {capture({L"--delay", L"99999999999999999999"}), L"error delay --delay|99999999999999999999"},
                    {capture({L"--delay", L"５"}), L"error delay --delay|５"}});
}

TEST(CommandLine, TheErrorLineNamesTheFaultInEitherLanguage) {
    const TextTable& english = TextsIn(Language::English);
    EXPECT_EQ(UsageErrorLine({UsageFault::UnknownOption, L"/x", {}}, english), L"Unknown option: /x");
    EXPECT_EQ(UsageErrorLine({UsageFault::BadDelay, L"--delay", L"-1"}, english),
              L"--delay cannot take \"-1\": use a whole number of seconds from 0 to 3600");
    EXPECT_EQ(UsageErrorLine({UsageFault::RepeatedOption, L"/OUT", {}}, TextsIn(Language::Japanese)),
              L"/OUT が 2 回以上指定されています");
    for (int fault = 0; fault <= static_cast<int>(UsageFault::BadDelay); ++fault)
        for (Language language : {Language::English, Language::Japanese}) {
            const UsageFault named = static_cast<UsageFault>(fault);
            const std::wstring line = UsageErrorLine({named, L"/Opt", L"Val_7"}, TextsIn(language));
            const bool namesValue = named >= UsageFault::BadWindowChoice || named == UsageFault::UnexpectedArgument;
            EXPECT_TRUE(!line.empty() && line.find_first_of(L"%\n") == std::wstring::npos) << fault;
            EXPECT_EQ(line.find(L"Val_7") != std::wstring::npos, namesValue) << fault;
        }
}

TEST(CommandLine, TheUsageNamesEveryFormOptionAndExitCode) {
    for (Language language : {Language::English, Language::Japanese}) {
        const std::wstring usage = TextsIn(language).commandLineUsage;
        for (const wchar_t* word :
             {L"active", L"pointer", L"title=", L"process=", L"window=", L"--out", L"--format", L"--delay", L"--cursor",
              L"--covered", L"--clipboard", L"--overwrite", L"--help", L"/?", L"/name", L"0x", L"png", L"jpeg", L"bmp"})
            EXPECT_NE(usage.find(word), std::wstring::npos) << word;
        EXPECT_NE(usage.find(std::to_wstring(kLongestCommandLineDelay)), std::wstring::npos);
        for (int code = 0; code <= static_cast<int>(ExitCode::FileExists); ++code)
            EXPECT_NE(usage.find(L"\n  " + std::to_wstring(code) + L"  "), std::wstring::npos) << code;
    }
}

// The program's path: quotes group and go, backslashes are only backslashes. The rest by the rules
// of the C runtime's documented examples.
TEST(SplitCommandLine, WindowsRulesForProgramsAndTheProgramsPath) {
    const std::vector<std::pair<std::wstring, Arguments>> rows = {
        {L"", {L""}},
        {L" a", {L"", L"a"}},
        {L"Kelpix.exe", {L"Kelpix.exe"}},
        {L"\"C:\\Program Files\\Kelpix\\Kelpix.exe\" --capture active",
         {L"C:\\Program Files\\Kelpix\\Kelpix.exe", L"--capture", L"active"}},
        {L"\"C:\\dir\\\"x.exe a", {L"C:\\dir\\x.exe", L"a"}},
        {L"C:\\a\" b\"\\k.exe\tx", {L"C:\\a b\\k.exe", L"x"}},
        {L"p \"abc\" d e", {L"p", L"abc", L"d", L"e"}},
        {L"p a\\\\b d\"e f\"g h", {L"p", L"a\\\\b", L"de fg", L"h"}},
        {L"p a\\\\\\\"b c d", {L"p", L"a\\\"b", L"c", L"d"}},
        {L"p a\\\\\\\\\"b c\" d e", {L"p", L"a\\\\b c", L"d", L"e"}},
        {L"p a\"b\"\" c d", {L"p", L"ab\" c d"}},
        {L"p \"C:\\shots\\\\\" x", {L"p", L"C:\\shots\\", L"x"}},
        {L"p \"C:\\shots\\\" x", {L"p", L"C:\\shots\" x"}},
        {L"p \\\\server\\share\\a.png", {L"p", L"\\\\server\\share\\a.png"}},
        {L"p \"a b", {L"p", L"a b"}},
        {L"p a \"\" b", {L"p", L"a", L"", L"b"}},
        {L"p \t a\t\tb  ", {L"p", L"a", L"b"}},
        {L"p a\nb", {L"p", L"a\nb"}},
        {L"p --capture \"title=無題 - メモ帳\" --out=\"D:\\😀 写真\\x.png\"",
         {L"p", L"--capture", L"title=無題 - メモ帳", L"--out=D:\\😀 写真\\x.png"}}};
    for (const auto& [line, arguments] : rows)
        EXPECT_EQ(SplitCommandLine(line), arguments) << testing::PrintToString(line);
}

} // namespace
} // namespace kelpix::core
