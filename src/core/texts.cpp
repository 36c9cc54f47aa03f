#include "core/texts.h"

namespace kelpix::core {

namespace {

constexpr uint16_t kPrimaryLanguageMask = 0x3FF;
constexpr uint16_t kPrimaryJapanese = 0x11; // LANG_JAPANESE

constexpr TextTable kJapanese{
    .captionFormat = L"Kelpix [ver %s]",
    .versionUnknown = L"(未定義)",
    .delayButtonFormat = L"時間差 %d秒",
    .cursorButton = L"ﾏｳｽｶｰｿﾙ",
    .recopyButton = L"前回再取得",

    .menuFile = L"ファイル(&F)",
    .menuSave = L"名前を付けて保存(&A)",
    .menuExit = L"終了(&X)",
    .menuView = L"表示(&V)",
    .menuDefaultSize = L"デフォルトサイズに戻す",
    .menuTakeSizeBelow = L"直下のサイズに変更",
    .menuTranslucent = L"半透明にする",
    .menuTool = L"ツール(&T)",
    .menuCaptureOwnArea = L"本体サイズでキャプチャ",
    .menuRecopy = L"前回キャプチャを再取得",
    .menuStoreInTray = L"タスクトレイに格納",
    .menuOptions = L"環境オプション...",
    .menuHelp = L"ヘルプ(&H)",
    .menuOpenHelp = L"ヘルプを開く(&R)",

    .trayTip = L"Kelpix",
    .trayMenuShow = L"Kelpixの表示",
    .hookInstallFailed = L"CallWndProcのフックインストールに失敗",

    .optionsCaption = L"環境オプション",
    .groupEnvironment = L"環境設定",
    .checkCloseToTray = L"クローズボタンでタスクトレイに格納する",
    .checkStartInTray = L"起動時にタスクトレイに格納する",
    .checkRestoreToggles = L"起動時に前回の動作設定を復元する",
    .groupOperation = L"動作設定",
    .checkDrawCursor = L"マウスカーソルをキャプチャーする",
    .checkDelayedCapture = L"時間差キャプチャー",
    .secondsLater = L"秒後",
    .languageLabel = L"言語:",
    .languageAutomatic = L"自動",
    .buttonOk = L"OK",
    .buttonCancel = L"キャンセル",

    .saveFilter = L"ビットマップ (*.bmp)|*.bmp|JPEG 形式 (*.jpg)|*.jpg|PNG 形式 (*.png)|*.png",
    .saveTitle = L"キャプチャー画像保存",

    .helpFile = L"help.chm",
    .helpMissing = L"ヘルプファイルが見つかりません。",
    .helpMissingCaption = L"確認",

    .clipboardOpenFailed = L"クリップボードを開くことができません",
    .cannotWriteFormat = L"%s に書き込めません",
    .cannotCreateFileFormat = L"ファイル %s を作成できません",
    .streamWriteError = L"ストリームへの書き込みエラー",
    .jpegErrorFormat = L"JPEG エラー #%d",
    .pngErrorFormat = L"PNG エラー: %s",
    .imageReadFailed = L"画像を読み取れません",
    .outOfMemory = L"メモリが不足しています",
    .libraryMissingFormat = L"%s を読み込めません",

    .checkPrintWindow = L"他のウィンドウに隠れた部分も写す",

    .groupAutoSave = L"自動保存",
    .checkAutoSave = L"キャプチャを自動で保存する",
    .autoSaveFolderLabel = L"保存先:",
    .autoSaveFolderDefault = L"ピクチャ\\Kelpix",
    .browseButton = L"参照...",
    .browseTitle = L"自動保存の保存先を選んでください。",
    .autoSaveFormatLabel = L"形式:",
    .autoSaveNameLabel = L"ファイル名:",
    .autoSaveFailedFormat = L"フォルダー %s にキャプチャを自動で保存できません。\n%s",
    .groupShortcutKeys = L"ショートカットキー",
    .labelPointerWindowKey = L"ポインタの下のウィンドウをキャプチャ",
    .labelActiveWindowKey = L"アクティブウィンドウをキャプチャ",
    .checkStartWithWindows = L"Windows の起動時に Kelpix を起動する",
    .keyHeldFormat = L"ショートカットキー %s は他のプログラムが使っているため、使えません。"
                     L"環境オプションで別のキーを選んでください。",
    .keyNameSeparator = L"、",
    .startupEntryFailed = L"Windows の起動時に起動する設定を変更できません",

    .replaceQuestionFormat = L"%s は既に存在します。\n上書きしますか?",
    .newFileKeptFormat = L"ファイル %s を作成できません。新しい画像は %s に残してあります",
    .settingsTooLargeFormat = L"設定ファイル %s が大きすぎるため読み込めません。既定の設定で起動し、"
                              L"このファイルには書き込みません。",
    .trayDragsUnavailable = L"タスクトレイのアイコンからのドラッグは使えません。共有メモリ KelpixWnd "
                            L"を作成できません (他のプログラムが同じ名前で作成しています)。",

    .commandLineUsage =
        L"使い方: Kelpix.exe --capture 対象 [オプション]\n"
        L"ウィンドウを 1 つキャプチャして画像をファイルに保存し、そのファイルのフルパスを表示します。\n"
        L"\n"
        L"対象:\n"
        L"  active           アクティブウィンドウ\n"
        L"  pointer          マウスポインタの下のウィンドウ\n"
        L"  title=文字列     タイトルに文字列を含む、表示されている最初のウィンドウ (大文字と小文字は区別しません)\n"
        L"  process=名前     プログラム名 (notepad.exe など) のウィンドウ\n"
        L"  process=PID      プロセス ID (10 進数) のウィンドウ\n"
        L"  window=ハンドル  ウィンドウハンドル (10 進数、または 0x に続く 16 進数) のウィンドウ\n"
        L"\n"
        L"オプション:\n"
        L"  --out ファイル   保存するファイル (省略時は自動保存の保存先とファイル名)\n"
        L"  --format 形式    png、jpeg (jpg も可)、bmp のいずれか (省略時はファイルの拡張子、なければ png)\n"
        L"  --delay 秒数     キャプチャの前に 0～3600 秒待つ\n"
        L"  --cursor         マウスカーソルも写す\n"
        L"  --covered        他のウィンドウに隠れた部分も写す\n"
        L"  --clipboard      画像をクリップボードにもコピーする\n"
        L"  --overwrite      ファイルが既にあるときは上書きする\n"
        L"  --help           この説明を表示する (/? も可)\n"
        L"\n"
        L"オプションは /name の形でも書けます。値はオプション名の後に = か : で続けて、\n"
        L"--out=ファイル や /out:ファイル のように書くこともできます。\n"
        L"\n"
        L"終了コード:\n"
        L"  0  ファイルを保存した\n"
        L"  1  コマンドラインに誤りがある\n"
        L"  2  対象に合うウィンドウがない\n"
        L"  3  キャプチャに失敗した\n"
        L"  4  ファイルを保存できなかった\n"
        L"  5  ファイルが既にあり、--overwrite が指定されていない\n",
    .unknownOptionFormat = L"不明なオプションです: %s",
    .missingValueFormat = L"%s には値を指定してください",
    .valueNotTakenFormat = L"%s に値は指定できません",
    .repeatedOptionFormat = L"%s が 2 回以上指定されています",
    .unexpectedArgumentFormat = L"余分な引数があります: %s",
    .captureOptionMissing = L"キャプチャするウィンドウを --capture で指定してください",
    .badWindowChoiceFormat =
        L"%s に「%s」は指定できません。active、pointer、title=文字列、process=名前、process=PID、window=ハンドル "
        L"のいずれかを指定してください",
    .badFormatFormat = L"%s に「%s」は指定できません。png、jpeg、bmp のいずれかを指定してください",
    .badDelayFormat = L"%s に「%s」は指定できません。0 から 3600 までの整数 (秒数) を指定してください",
    .noWindowMatchedFormat = L"%s に合うウィンドウがありません",
    .windowCaptureFailed = L"ウィンドウをキャプチャできませんでした",
    .cannotWriteFileFormat = L"ファイル %s を保存できません: %s",
    .fileExistsFormat = L"ファイル %s は既にあります。上書きするには --overwrite を指定してください",
    .menuEditImage = L"画像を編集(&E)...",
    .checkEditAfterCapture = L"キャプチャ後に編集する",
    .editorCaption = L"画像の編集 - Kelpix",
    .editorToolLabels = L"選択|四角|蛍光ペン|矢印|文字|番号|墨消し|切り抜き",
    .editorToolTips = L"選択・移動 (V)|四角形 (R)|蛍光ペン (H)|矢印 (A)|文字 (T)|番号 (N)|墨消し (X)|切り抜き (C)",
    .editorColourTips = L"赤|黄|緑|青|黒|白",
    .editorSizeLabels = L"細|中|太",
    .editorSizeTips = L"細い線・小さい文字|中くらいの線・文字|太い線・大きい文字",
    .editorDone = L"完了",
    .editorDoneTip = L"完了 (Enter): この画像をクリップボードに入れてメイン ウィンドウに表示します",
    .editorUndo = L"元に戻す",
    .editorUndoTip = L"元に戻す (Ctrl+Z)",
    .editorRedo = L"やり直し",
    .editorRedoTip = L"やり直し (Ctrl+Y)",
    .editorDiscardQuestion = L"編集した画像はまだクリップボードにもファイルにも渡していません。\n"
                             L"変更を破棄して閉じますか?",
    .editorImageTooLarge = L"この画像は大きすぎるため編集できません。",
    .checkShapeMask = L"ウィンドウの形の外を透明にする",
    .menuCopyAsFile = L"ファイルとしてコピー(&F)",
    .menuRecentCaptures = L"最近のキャプチャ(&R)",
    .recentCapturesNone = L"(なし)",
    .checkCopyAsFile = L"キャプチャをファイルとしてもコピーする",
    .copiedFileFailedFormat = L"一時フォルダー %s にファイルを作成できません。\n%s",
};

constexpr TextTable kEnglish{
    .captionFormat = L"Kelpix [ver %s]",
    .versionUnknown = L"(unknown)",
    .delayButtonFormat = L"Delay %d s",
    .cursorButton = L"Cursor",
    .recopyButton = L"Copy again",

    .menuFile = L"&File",
    .menuSave = L"Save &As...",
    .menuExit = L"E&xit",
    .menuView = L"&View",
    .menuDefaultSize = L"&Default Size",
    .menuTakeSizeBelow = L"&Fit to Window Below",
    .menuTranslucent = L"&Translucent",
    .menuTool = L"&Tools",
    .menuCaptureOwnArea = L"&Capture Own Area",
    .menuRecopy = L"Copy &Last Capture Again",
    .menuStoreInTray = L"&Minimize to Notification Area",
    .menuOptions = L"&Options...",
    .menuHelp = L"&Help",
    .menuOpenHelp = L"&Help Topics",

    .trayTip = L"Kelpix",
    .trayMenuShow = L"&Show Kelpix",
    .hookInstallFailed = L"Cannot install the CallWndProc hook",

    .optionsCaption = L"Options",
    .groupEnvironment = L"General",
    .checkCloseToTray = L"Close to the notification area",
    .checkStartInTray = L"Start in the notification area",
    .checkRestoreToggles = L"Restore the capture settings at startup",
    .groupOperation = L"Capture",
    .checkDrawCursor = L"Capture the mouse cursor",
    .checkDelayedCapture = L"Delayed capture",
    .secondsLater = L"seconds",
    .languageLabel = L"Language:",
    .languageAutomatic = L"Automatic",
    .buttonOk = L"OK",
    .buttonCancel = L"Cancel",

    .saveFilter = L"Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png",
    .saveTitle = L"Save Capture",

    .helpFile = L"help-en.chm",
    .helpMissing = L"The help file cannot be found.",
    .helpMissingCaption = L"Kelpix",

    .clipboardOpenFailed = L"Cannot open the clipboard",
    .cannotWriteFormat = L"Cannot write to %s",
    .cannotCreateFileFormat = L"Cannot create file %s",
    .streamWriteError = L"Error writing to the file",
    .jpegErrorFormat = L"JPEG error #%d",
    .pngErrorFormat = L"PNG error: %s",
    .imageReadFailed = L"Cannot read the image",
    .outOfMemory = L"Not enough memory",
    .libraryMissingFormat = L"Cannot load %s",

    .checkPrintWindow = L"Include parts covered by other windows",

    .groupAutoSave = L"Automatic Save",
    .checkAutoSave = L"Save every capture automatically",
    .autoSaveFolderLabel = L"Folder:",
    .autoSaveFolderDefault = L"Pictures\\Kelpix",
    .browseButton = L"Browse...",
    .browseTitle = L"Choose the folder for automatic saves.",
    .autoSaveFormatLabel = L"Format:",
    .autoSaveNameLabel = L"File name:",
    .autoSaveFailedFormat = L"Cannot save the capture automatically to the folder %s.\n%s",
    .groupShortcutKeys = L"Shortcut keys",
    .labelPointerWindowKey = L"Capture the window under the pointer",
    .labelActiveWindowKey = L"Capture the active window",
    .checkStartWithWindows = L"Start Kelpix when Windows starts",
    .keyHeldFormat = L"Another program already uses the shortcut key %s, so Kelpix cannot use it. "
                     L"Choose another key in Options.",
    .keyNameSeparator = L", ",
    .startupEntryFailed = L"Cannot change whether Kelpix starts with Windows",

    .replaceQuestionFormat = L"%s already exists.\nDo you want to replace it?",
    .newFileKeptFormat = L"Cannot create file %s. The new image is kept as %s",
    .settingsTooLargeFormat = L"The settings file %s is too large to read. Kelpix starts with the default "
                              L"settings and does not write to this file.",
    .trayDragsUnavailable = L"Dragging from the notification-area icon cannot work: the shared memory "
                            L"KelpixWnd cannot be made (another program has made one of that name).",

    .commandLineUsage = L"Usage: Kelpix.exe --capture WHICH [options]\n"
                        L"Captures one window, writes the image to a file and prints the file's full path.\n"
                        L"\n"
                        L"WHICH:\n"
                        L"  active           the active window\n"
                        L"  pointer          the window under the mouse pointer\n"
                        L"  title=TEXT       the first visible window whose title contains TEXT, ignoring case\n"
                        L"  process=NAME     a window of the program NAME, such as notepad.exe\n"
                        L"  process=PID      a window of the process with this number (decimal)\n"
                        L"  window=HANDLE    the window with this handle (decimal, or hexadecimal after 0x)\n"
                        L"\n"
                        L"Options:\n"
                        L"  --out FILE       the file to write (without it: the automatic-save folder and name)\n"
                        L"  --format FORMAT  png, jpeg (or jpg) or bmp (without it: FILE's extension, else png)\n"
                        L"  --delay SECONDS  wait 0 to 3600 seconds before the capture\n"
                        L"  --cursor         draw the mouse cursor in\n"
                        L"  --covered        include parts covered by other windows\n"
                        L"  --clipboard      also put the image on the clipboard\n"
                        L"  --overwrite      replace FILE if it exists\n"
                        L"  --help           print this text (also /?)\n"
                        L"\n"
                        L"Every option may also be written /name, and a value may follow its name after = or :,\n"
                        L"as in --out=FILE or /out:FILE.\n"
                        L"\n"
                        L"Exit codes:\n"
                        L"  0  the file was written\n"
                        L"  1  the command line is wrong\n"
                        L"  2  no window matched WHICH\n"
                        L"  3  the capture failed\n"
                        L"  4  the file could not be written\n"
                        L"  5  the file exists and --overwrite was not given\n",
    .unknownOptionFormat = L"Unknown option: %s",
    .missingValueFormat = L"%s needs a value",
    .valueNotTakenFormat = L"%s takes no value",
    .repeatedOptionFormat = L"%s is given more than once",
    .unexpectedArgumentFormat = L"Unexpected argument: %s",
    .captureOptionMissing = L"--capture is missing: it says which window to capture",
    .badWindowChoiceFormat =
        L"%s cannot take \"%s\": use active, pointer, title=TEXT, process=NAME, process=PID or window=HANDLE",
    .badFormatFormat = L"%s cannot take \"%s\": use png, jpeg or bmp",
    .badDelayFormat = L"%s cannot take \"%s\": use a whole number of seconds from 0 to 3600",
    .noWindowMatchedFormat = L"No window matches %s",
    .windowCaptureFailed = L"The window could not be captured",
    .cannotWriteFileFormat = L"Cannot write %s: %s",
    .fileExistsFormat = L"%s already exists; add --overwrite to replace it",
    .menuEditImage = L"&Edit Image...",
    .checkEditAfterCapture = L"Edit after each capture",
    .editorCaption = L"Edit Image - Kelpix",
    .editorToolLabels = L"Select|Box|Highlight|Arrow|Text|Step|Redact|Crop",
    .editorToolTips = L"Select and move (V)|Rectangle (R)|Highlight (H)|Arrow (A)|Text (T)|Step number (N)|"
                      L"Redact (X)|Crop (C)",
    .editorColourTips = L"Red|Yellow|Green|Blue|Black|White",
    .editorSizeLabels = L"S|M|L",
    .editorSizeTips = L"Thin line, small text|Medium line and text|Thick line, large text",
    .editorDone = L"Done",
    .editorDoneTip = L"Done (Enter): put this image on the clipboard and show it in the main window",
    .editorUndo = L"Undo",
    .editorUndoTip = L"Undo (Ctrl+Z)",
    .editorRedo = L"Redo",
    .editorRedoTip = L"Redo (Ctrl+Y)",
    .editorDiscardQuestion = L"The marked image has not gone to the clipboard or a file yet.\n"
                             L"Discard your changes and close?",
    .editorImageTooLarge = L"This image is too large to edit.",
    .checkShapeMask = L"Make the outside of the window's shape transparent",
    .menuCopyAsFile = L"Copy as &File",
    .menuRecentCaptures = L"&Recent Captures",
    .recentCapturesNone = L"(None)",
    .checkCopyAsFile = L"Also copy captures as a file",
    .copiedFileFailedFormat = L"Cannot create a file in the temporary folder %s.\n%s",
};

} // namespace

Language LanguageToShow(Language setting, uint16_t userUiLanguage) {
    if (setting != Language::Automatic) return setting;
    return (userUiLanguage & kPrimaryLanguageMask) == kPrimaryJapanese ? Language::Japanese : Language::English;
}

const TextTable& TextsIn(Language shown) {
    return shown == Language::English ? kEnglish : kJapanese;
}

std::wstring FillIn(std::wstring_view format, std::initializer_list<std::wstring_view> values) {
    std::wstring text;
    text.reserve(format.size());
    const std::wstring_view* next = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        const wchar_t after = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (c != L'%' || (after != L's' && after != L'd' && after != L'%')) {
            text += c;
            continue;
        }
        ++i;
        if (after == L'%')
            text += L'%';
        else if (next != values.end())
            text += *next++;
    }
    return text;
}

std::wstring ErrorBoxText(std::wstring_view message) {
    std::wstring text(message);
    if (!text.empty() && text.back() > L'.') text += L'.';
    return text;
}

} // namespace kelpix::core
