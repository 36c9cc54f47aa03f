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

// Help
inline constexpr char kHelpMissing[] = "ヘルプファイルが見つかりません。";
inline constexpr char kHelpMissingCaption[] = "確認";

// Errors
inline constexpr char kClipboardOpenFailed[] = "クリップボードを開くことができません";

} // namespace kelpix::texts
