// The global shortcut keys as the system holds them, and the start with Windows as the registry keeps it.
#include "settings_fixture.h"
#include "test_support.h"

#include "services/global_keys.h"
#include "services/startup_entry.h"
#include "toolkit/unicode.h"

#include <commctrl.h>

#include <atomic>
#include <optional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// Ctrl+Shift+Alt+Q and +W: keys nothing else on the test machine is likely to hold.
constexpr uint16_t kFirst = 0x0751, kSecond = 0x0757;

// Registers the key for this thread, as another program would: whether the system let it.
bool HoldElsewhere(uint16_t key) {
    return RegisterHotKey(nullptr, 0x7000, MOD_CONTROL | MOD_SHIFT | MOD_ALT, LOBYTE(key)) != FALSE;
}
void LetGoElsewhere() {
    UnregisterHotKey(nullptr, 0x7000);
}

void Click(Control button) {
    button.Send(BM_CLICK);
}

std::optional<std::wstring> RunValue() {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

} // namespace

TEST_F(SettingsTest, TheKeysAreHeldWhileTheProgramRunsAndAKeyAnotherProgramHoldsIsNamedOnceAndOnOk) {
    WriteIni({"[Option]", "Language=1", "PointerWindowKey=0x0751", "ActiveWindowKey=$757"});
    Start();
    EXPECT_FALSE(HoldElsewhere(kFirst));
    EXPECT_FALSE(HoldElsewhere(kSecond));
    Stop();
    ASSERT_TRUE(HoldElsewhere(kFirst)) << "the program did not let go of its key";

    // Another program holds the first key: the start-up names it once, and the second is held.
    Start();
    {
        MessageBoxAnswerer answer;
        program_->ReportStartUpProblems();
        EXPECT_EQ(answer.Text(),
                  "ショートカットキー " + Utf8(HotKeyName(kFirst)) +
                      " は他のプログラムが使っているため、使えません。環境オプションで別のキーを選んでください。");
        EXPECT_NE(answer.Text().find("Q は"), std::string::npos) << "the key is not named";
        MessageBoxAnswerer none;
        program_->ReportStartUpProblems();
        EXPECT_FALSE(none.Seen()) << "named twice";
    }
    LetGoElsewhere();
    EXPECT_FALSE(HoldElsewhere(kSecond));

    // OK names a held key while the dialog is still up; a cleared key is let go and stored as 0.
    ASSERT_TRUE(HoldElsewhere(kFirst));
    WhileDialogUp(main(), [](OptionsDialog& d) {
        d.ControlFor(&core::Settings::active_window_key).Send(HKM_SETHOTKEY, 0);
        std::atomic<bool> dialogShown{false};
        MessageBoxAnswerer answer(IDOK, [&](HWND) { dialogShown = IsWindowVisible(d.Handle()) != FALSE; });
        Click(d.OkButton());
        EXPECT_NE(answer.Text().find(Utf8(HotKeyName(kFirst))), std::string::npos);
        EXPECT_TRUE(dialogShown);
    });
    LetGoElsewhere();
    EXPECT_TRUE(HoldElsewhere(kSecond)) << "a cleared key is still held";
    LetGoElsewhere();
    EXPECT_NE(ReadBytes(IniFile()).find("PointerWindowKey=0x0751\r\nActiveWindowKey=0\r\n"), std::string::npos);
}

TEST_F(SettingsTest, StartWithWindowsWritesReadsAndRemovesTheRunValueAndAMovedProgramWritesItsOwnPath) {
    // A value left naming the test program would start it with the next Wine session: it is put back.
    const std::optional<std::wstring> before = RunValue();
    struct PutBack {
        const std::optional<std::wstring>& value;
        ~PutBack() {
            if (!value)
                SetStartWithWindows(false, L"");
            else
                RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, value->c_str(),
                                static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
        }
    } putBack{before};

    SetStartWithWindows(false, L"");
    EXPECT_FALSE(UpdateStartupEntry(L"C:\\Kelpix\\Kelpix.exe"));
    EXPECT_EQ(RunValue(), std::nullopt) << "written where there was no value";
    SetStartWithWindows(true, L"C:\\Old place\\Kelpix.exe");
    EXPECT_EQ(RunValue(), L"\"C:\\Old place\\Kelpix.exe\"");
    // Another copy that exists (here the test program itself) stays the one that starts.
    SetStartWithWindows(true, Application::ExePath());
    EXPECT_FALSE(UpdateStartupEntry(L"D:\\新しい場所\\Kelpix.exe"));
    EXPECT_EQ(RunValue(), StartupCommand(Application::ExePath()));
    // One that has gone (the folder was moved) gives way to this one.
    SetStartWithWindows(true, L"C:\\Old place\\Kelpix.exe");
    EXPECT_TRUE(UpdateStartupEntry(L"D:\\新しい場所\\Kelpix.exe"));
    EXPECT_EQ(ReadStartupEntry(), L"\"D:\\新しい場所\\Kelpix.exe\"");
    EXPECT_FALSE(UpdateStartupEntry(L"d:\\新しい場所\\KELPIX.EXE"));

    // The box shows what the registry holds; OK writes or removes the value, never the settings file.
    Start();
    for (bool ticked : {true, false}) {
        WhileDialogUp(main(), [ticked](OptionsDialog& d) {
            EXPECT_EQ(d.StartWithWindowsBox().Ticked(), ticked);
            Click(d.StartWithWindowsBox());
            Click(d.OkButton());
        });
        EXPECT_EQ(RunValue(), ticked ? std::nullopt : std::optional(StartupCommand(Application::ExePath())));
    }
    EXPECT_EQ(ReadBytes(IniFile()).find(".exe"), std::string::npos);
}
