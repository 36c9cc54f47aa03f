// What the user reads, read back with the wide functions, in Japanese and in English. The test
// program runs under code page 932; TextsUnderCodePage1252 runs these tests again under 1252.
#include "settings_fixture.h"
#include "test_support.h"

#include "toolkit/error.h"
#include "ui/tray_window.h"

#include <commctrl.h>

using namespace kelpix;
using namespace kelpix::test;

namespace {

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

struct Shown {
    std::vector<std::wstring> menuBar, fileMenu, toolMenu, trayMenu, options;
    std::wstring delayButton, helpBox; // the help box as "caption: text"
};

Shown WhatTheProgramShows(Program& program) {
    Shown shown;
    MainWindow& main = program.Main();
    shown.menuBar = MenuTexts(main.MenuBar());
    shown.fileMenu = MenuTexts(GetSubMenu(main.MenuBar(), 0));
    shown.toolMenu = MenuTexts(GetSubMenu(main.MenuBar(), 2));
    shown.trayMenu = MenuTexts(program.Tray().Menu());
    shown.delayButton = main.DelayButton().Caption();
    WhileDialogUp(main, [&](OptionsDialog& d) {
        shown.options = {d.Text(), d.ControlFor(&core::Settings::close_to_tray).Text(),
                         d.ControlFor(&core::Settings::delayed_capture).Text()};
        for (int i = 0; i < 3; ++i) {
            wchar_t entry[32] = {};
            d.ControlFor(&core::Settings::language)
                .Send(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
            shown.options.push_back(entry);
        }
        shown.options.push_back(d.StartWithWindowsBox().Text());
        shown.options.push_back(d.CancelButton().Text());
        d.Close();
    });
    // The test program has no help file beside it.
    MessageBoxAnswerer answer;
    SendMessageW(main.Handle(), WM_COMMAND, MenuId(core::Command::Help), 0);
    if (answer.Seen()) shown.helpBox = FromUtf8(answer.Caption() + ": " + answer.Text());
    return shown;
}

TEST_F(SettingsTest, EveryTextReadsRightInJapaneseAndInEnglish) {
    const struct {
        const char* language; // the setting
        Shown expected;
    } rows[] = {
        {"1",
         {{L"ファイル(&F)", L"表示(&V)", L"ツール(&T)", L"ヘルプ(&H)"},
          {L"名前を付けて保存(&A)\tCtrl+S", L"", L"終了(&X)"},
          {L"本体サイズでキャプチャ\tF5", L"前回キャプチャを再取得\tF6", L"タスクトレイに格納", L"",
           L"環境オプション..."},
          {L"Kelpixの表示", L"環境オプション...", L"", L"終了(&X)"},
          {L"環境オプション", L"クローズボタンでタスクトレイに格納する", L"時間差キャプチャー", L"自動", L"日本語",
           L"English", L"Windows の起動時に Kelpix を起動する", L"キャンセル"},
          L"時間差 7秒",
          L"確認: ヘルプファイルが見つかりません。"}},
        {"2",
         {{L"&File", L"&View", L"&Tools", L"&Help"},
          {L"Save &As...\tCtrl+S", L"", L"E&xit"},
          {L"&Capture Own Area\tF5", L"Copy &Last Capture Again\tF6", L"&Minimize to Notification Area", L"",
           L"&Options..."},
          {L"&Show Kelpix", L"&Options...", L"", L"E&xit"},
          {L"Options", L"Close to the notification area", L"Delayed capture", L"Automatic", L"日本語", L"English",
           L"Start Kelpix when Windows starts", L"Cancel"},
          L"Delay 7 s",
          L"Kelpix: The help file cannot be found."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "Language=" << row.language << ", code page " << GetACP());
        WriteIni({"[Option]", "Fukugen=1", "Time=7", std::string("Language=") + row.language});
        const Shown shown = WhatTheProgramShows(Start());
        EXPECT_EQ(shown.menuBar, row.expected.menuBar);
        EXPECT_EQ(shown.fileMenu, row.expected.fileMenu);
        EXPECT_EQ(shown.toolMenu, row.expected.toolMenu);
        EXPECT_EQ(shown.trayMenu, row.expected.trayMenu);
        EXPECT_EQ(shown.options, row.expected.options);
        EXPECT_EQ(shown.delayButton, row.expected.delayButton);
        EXPECT_EQ(shown.helpBox, row.expected.helpBox);
    }
}

} // namespace
