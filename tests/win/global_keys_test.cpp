// The global shortcut keys as the system holds them, and the start with Windows as the registry
// keeps it.
#include "settings_fixture.h"
#include "test_support.h"

#include "main/global_keys.h"
#include "main/startup_entry.h"
#include "toolkit/unicode.h"

#include <commctrl.h>

#include <atomic>
#include <optional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// Keys that nothing else on the test machine is likely to hold.
constexpr uint16_t kFirst = core::kHotKeyControl | core::kHotKeyShift | core::kHotKeyAlt | 'Q';
constexpr uint16_t kSecond = core::kHotKeyControl | core::kHotKeyShift | core::kHotKeyAlt | 'W';
constexpr int kElsewhereId = 0x7000;

// Registers the key for this thread alone, as another program would; whether the system let it.
bool HoldElsewhere(uint16_t key) {
    return RegisterHotKey(nullptr, kElsewhereId, MOD_CONTROL | MOD_SHIFT | MOD_ALT, LOBYTE(key)) != FALSE;
}
void LetGoElsewhere() {
    UnregisterHotKey(nullptr, kElsewhereId);
}

void Click(HWND button) {
    SendMessageA(button, BM_CLICK, 0, 0);
}
bool Ticked(HWND box) {
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The Run value as the registry holds it, read apart from the program's own reading.
std::optional<std::wstring> RunValue() {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// Puts the Run value back as it was before the test, whatever the test did: a value left naming
// the test program would start it with the next Wine session.
class RunValueKeeper {
public:
    RunValueKeeper() : before_(RunValue()) {}
    ~RunValueKeeper() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        if (before_)
            RegSetValueExW(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(before_->c_str()),
                           static_cast<DWORD>((before_->size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteValueW(key, kRunValueName);
        RegCloseKey(key);
    }

private:
    std::optional<std::wstring> before_;
};

} // namespace

TEST_F(SettingsTest, TheKeysAreHeldWhileTheProgramRunsAndAKeyAnotherProgramHoldsIsNamedOnceAndOnOk) {
    WriteIni({"[Option]", "Language=1", "PointerWindowKey=0x0751", "ActiveWindowKey=$757"});
    Start();
    EXPECT_FALSE(HoldElsewhere(kFirst)) << "the program does not hold its key";
    EXPECT_FALSE(HoldElsewhere(kSecond)) << "the program does not hold its key";
    Stop();
    ASSERT_TRUE(HoldElsewhere(kFirst)) << "the program did not let go of its key";

    // Another program holds the first key: the start-up names it once, and the second is held.
    Start();
    {
        MessageBoxAnswerer answer;
        program_->ReportKeysHeldAtStart();
        ASSERT_TRUE(answer.Seen());
        EXPECT_EQ(answer.Caption(), Utf8(Application::Get().Title()));
        EXPECT_EQ(answer.Text(), "ショートカットキー " + Utf8(HotKeyName(kFirst)) +
                                     " は他のプログラムが使っているため、使えません。"
                                     "環境オプションで別のキーを選んでください。");
        EXPECT_NE(answer.Text().find("Q"), std::string::npos) << "the key is not named";
    }
    {
        MessageBoxAnswerer none;
        program_->ReportKeysHeldAtStart();
        EXPECT_FALSE(none.Seen()) << "named twice";
    }
    LetGoElsewhere();
    EXPECT_FALSE(HoldElsewhere(kSecond));

    // OK names a held key while the dialog is still up; a cleared key is let go and stored as 0.
    ASSERT_TRUE(HoldElsewhere(kFirst));
    WhileDialogUp(main(), [](OptionsDialog& d) {
        const OptionsDialog::Controls& c = d.Children();
        EXPECT_EQ(SendMessageA(c.pointerWindowKey, HKM_GETHOTKEY, 0, 0), kFirst);
        SendMessageA(c.activeWindowKey, HKM_SETHOTKEY, 0, 0);
        std::atomic<bool> dialogShown{false};
        {
            MessageBoxAnswerer answer(IDOK, [&](HWND) { dialogShown = IsWindowVisible(d.Handle()) != FALSE; });
            Click(c.ok);
            EXPECT_TRUE(answer.Seen());
            EXPECT_NE(answer.Text().find(Utf8(HotKeyName(kFirst))), std::string::npos);
        }
        EXPECT_TRUE(dialogShown);
    });
    LetGoElsewhere();
    EXPECT_TRUE(HoldElsewhere(kSecond)) << "a cleared key is still held";
    LetGoElsewhere();
    const std::string written = ReadBytes(IniFile());
    EXPECT_NE(written.find("PointerWindowKey=0x0751\r\nActiveWindowKey=0\r\n"), std::string::npos) << written;
}

TEST_F(SettingsTest, StartWithWindowsWritesReadsAndRemovesTheRunValueAndAMovedProgramWritesItsOwnPath) {
    RunValueKeeper keep;
    SetStartWithWindows(false, L"");
    EXPECT_FALSE(UpdateStartupEntry(L"C:\\Kelpix\\Kelpix.exe"));
    EXPECT_EQ(RunValue(), std::nullopt) << "written where there was no value";

    SetStartWithWindows(true, L"C:\\Old place\\Kelpix.exe");
    EXPECT_EQ(RunValue(), L"\"C:\\Old place\\Kelpix.exe\"");
    EXPECT_TRUE(UpdateStartupEntry(L"D:\\新しい場所\\Kelpix.exe"));
    EXPECT_EQ(ReadStartupEntry(), L"\"D:\\新しい場所\\Kelpix.exe\"");
    EXPECT_FALSE(UpdateStartupEntry(L"d:\\新しい場所\\KELPIX.EXE"));

    // The box shows what the registry holds; OK writes or removes the value, never the settings file.
    Start();
    WhileDialogUp(main(), [](OptionsDialog& d) {
        EXPECT_TRUE(Ticked(d.Children().startWithWindows));
        Click(d.Children().startWithWindows);
        Click(d.Children().ok);
    });
    EXPECT_EQ(RunValue(), std::nullopt);
    WhileDialogUp(main(), [](OptionsDialog& d) {
        EXPECT_FALSE(Ticked(d.Children().startWithWindows));
        Click(d.Children().startWithWindows);
        Click(d.Children().ok);
    });
    EXPECT_EQ(RunValue(), StartupCommand(Application::ExePath()));
    EXPECT_EQ(ReadBytes(IniFile()).find(".exe"), std::string::npos);
}
