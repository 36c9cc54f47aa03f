// Every text the program shows, in one place. The sources are UTF-8; the Windows build compiles
// them to Shift-JIS (code page 932), the bytes the ANSI functions take.
#pragma once

namespace kelpix::texts {

// Main window
inline constexpr char kCaptionFormat[] = "Kelpix [ver %s]";
inline constexpr char kVersionUnknown[] = "(未定義)";
inline constexpr char kDelayButtonFormat[] = "時間差 %d秒";
inline constexpr char kCursorButton[] = "ﾏｳｽｶｰｿﾙ";
inline constexpr char kRecopyButton[] = "前回再取得";

// Main menu
inline constexpr char kMenuFile[] = "ファイル(&F)";
inline constexpr char kMenuSave[] = "名前を付けて保存(&A)";
inline constexpr char kMenuExit[] = "終了(&X)";
inline constexpr char kMenuView[] = "表示(&V)";
inline constexpr char kMenuDefaultSize[] = "デフォルトサイズに戻す";
inline constexpr char kMenuTakeSizeBelow[] = "直下のサイズに変更";
inline constexpr char kMenuTranslucent[] = "半透明にする";
inline constexpr char kMenuTool[] = "ツール(&T)";
inline constexpr char kMenuCaptureOwnArea[] = "本体サイズでキャプチャ";
inline constexpr char kMenuRecopy[] = "前回キャプチャを再取得";
inline constexpr char kMenuStoreInTray[] = "タスクトレイに格納";
inline constexpr char kMenuOptions[] = "環境オプション...";
inline constexpr char kMenuHelp[] = "ヘルプ(&H)";
inline constexpr char kMenuOpenHelp[] = "ヘルプを開く(&R)";

// Notification area
inline constexpr char kTrayTip[] = "Kelpix";
inline constexpr char kTrayMenuShow[] = "Kelpixの表示"; // the tray menu also offers kMenuOptions and kMenuExit
inline constexpr char kHookInstallFailed[] = "CallWndProcのフックインストールに失敗";

// Options dialog
inline constexpr char kOptionsCaption[] = "環境オプション";
inline constexpr char kGroupEnvironment[] = "環境設定";
inline constexpr char kCheckCloseToTray[] = "クローズボタンでタスクトレイに格納する";
inline constexpr char kCheckStartInTray[] = "起動時にタスクトレイに格納する";
inline constexpr char kCheckRestoreToggles[] = "起動時に前回の動作設定を復元する";
inline constexpr char kGroupOperation[] = "動作設定";
inline constexpr char kCheckDrawCursor[] = "マウスカーソルをキャプチャーする";
inline constexpr char kCheckDelayedCapture[] = "時間差キャプチャー";
inline constexpr char kSecondsLater[] = "秒後";
inline constexpr char kButtonOk[] = "OK";
inline constexpr char kButtonCancel[] = "キャンセル";

// Save dialog
inline constexpr char kSaveFilter[] = "ビットマップ (*.bmp)|*.bmp|JPEG 形式 (*.jpg)|*.jpg|PNG 形式 (*.png)|*.png";
inline constexpr char kSaveTitle[] = "キャプチャー画像保存";

// Help
inline constexpr char kHelpMissing[] = "ヘルプファイルが見つかりません。";
inline constexpr char kHelpMissingCaption[] = "確認";

// Errors
inline constexpr char kClipboardOpenFailed[] = "クリップボードを開くことができません";
inline constexpr char kCannotWriteFormat[] = "%s に書き込めません"; // the settings file's full path
inline constexpr char kCannotCreateFileFormat[] = "ファイル %s を作成できません";
inline constexpr char kStreamWriteError[] = "ストリームへの書き込みエラー";
inline constexpr char kJpegErrorFormat[] = "JPEG エラー #%d";
inline constexpr char kPngErrorFormat[] = "PNG エラー: %s"; // the library's message
inline constexpr char kImageReadFailed[] = "画像を読み取れません";
inline constexpr char kOutOfMemory[] = "メモリが不足しています";

} // namespace kelpix::texts
