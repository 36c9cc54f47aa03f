// Every text the program shows, in Japanese and in English: one table per language, chosen once at
// start-up from the user's setting or, by default, from the user's UI language. The texts are wide
// (UTF-16 on Windows), so they read right under every ANSI code page.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelpix::core {

// The language setting, as the settings file stores it.
enum class Language : int32_t {
    Automatic = 0, // Japanese where the user's UI language is Japanese, English elsewhere
    Japanese = 1,
    English = 2,
};

// The language to show for the setting, given the user's UI language (a Windows LANGID).
Language ShownLanguage(Language setting, uint16_t userUiLanguage);

struct Texts {
    // Main window. Formats take their values through FillIn.
    const wchar_t* captionFormat; // %s: the version
    const wchar_t* versionUnknown;
    const wchar_t* delayButtonFormat; // %d: seconds
    const wchar_t* cursorButton;
    const wchar_t* recopyButton;

    // Main menu and context menu
    const wchar_t* menuFile;
    const wchar_t* menuSave;
    const wchar_t* menuExit;
    const wchar_t* menuView;
    const wchar_t* menuDefaultSize;
    const wchar_t* menuTakeSizeBelow;
    const wchar_t* menuTranslucent;
    const wchar_t* menuTool;
    const wchar_t* menuCaptureOwnArea;
    const wchar_t* menuRecopy;
    const wchar_t* menuStoreInTray;
    const wchar_t* menuOptions;
    const wchar_t* menuHelp;
    const wchar_t* menuOpenHelp;

    // Notification area (its menu also offers menuOptions and menuExit)
    const wchar_t* trayTip;
    const wchar_t* trayMenuShow;
    const wchar_t* hookInstallFailed;

    // Options dialog
    const wchar_t* optionsCaption;
    const wchar_t* groupEnvironment;
    const wchar_t* checkCloseToTray;
    const wchar_t* checkStartInTray;
    const wchar_t* checkRestoreToggles;
    const wchar_t* groupOperation;
    const wchar_t* checkDrawCursor;
    const wchar_t* checkDelayedCapture;
    const wchar_t* secondsLater;
    const wchar_t* languageLabel;
    const wchar_t* languageAutomatic; // the other two choices are named in their own language
    const wchar_t* buttonOk;
    const wchar_t* buttonCancel;

    // Save dialog
    const wchar_t* saveFilter; // "name|pattern|..." for bitmap, JPEG, PNG
    const wchar_t* saveTitle;

    // Help
    const wchar_t* helpFile; // beside the program
    const wchar_t* helpMissing;
    const wchar_t* helpMissingCaption;

    // Errors
    const wchar_t* clipboardOpenFailed;
    const wchar_t* cannotWriteFormat;      // %s: the settings file's full path
    const wchar_t* cannotCreateFileFormat; // %s: the file's full path
    const wchar_t* streamWriteError;
    const wchar_t* jpegErrorFormat; // %d: the library's error number
    const wchar_t* pngErrorFormat;  // %s: the library's message
    const wchar_t* imageReadFailed;
    const wchar_t* outOfMemory;
    const wchar_t* libraryMissingFormat; // %s: the library's file name

    // --- The parts that other windows cover
    const wchar_t* checkPrintWindow; // options dialog, below the language row

    // Automatic save (the options dialog's group, the folder chooser, the failure)
    const wchar_t* groupAutoSave;
    const wchar_t* checkAutoSave;
    const wchar_t* autoSaveFolderLabel;
    const wchar_t* autoSaveFolderDefault; // shown in the empty folder box
    const wchar_t* browseButton;
    const wchar_t* browseTitle;
    const wchar_t* autoSaveFormatLabel;
    const wchar_t* autoSaveNameLabel;
    const wchar_t* autoSaveFailedFormat; // %s: the folder, %s: the reason
    // --- Global shortcut keys and the start with Windows (options dialog and messages)
    const wchar_t* groupShortcutKeys;
    const wchar_t* labelPointerWindowKey;
    const wchar_t* labelActiveWindowKey;
    const wchar_t* checkStartWithWindows;
    const wchar_t* keyHeldFormat;    // %s: the keys' names, joined by keyNameSeparator
    const wchar_t* keyNameSeparator; // between two keys' names
    const wchar_t* startupEntryFailed;

    // --- Nothing replaced unasked, nothing lost
    const wchar_t* replaceQuestionFormat;  // %s: the file that would be replaced
    const wchar_t* newFileKeptFormat;      // %s: the file that could not be made, %s: where the new image is
    const wchar_t* settingsTooLargeFormat; // %s: the settings file
    const wchar_t* trayDragsUnavailable;   // the shared block for drags from the icon cannot be had

    // --- The command line (Kelpix.exe --capture WHICH [options]): the usage, printed for --help and
    // after a usage error, the line that names a usage error, and the lines that say why a capture ended
    // with another exit code
    const wchar_t* commandLineUsage;         // several lines, each ending in "\n"
    const wchar_t* unknownOptionFormat;      // %s: the option as written
    const wchar_t* missingValueFormat;       // %s: the option
    const wchar_t* valueNotTakenFormat;      // %s: the option
    const wchar_t* repeatedOptionFormat;     // %s: the option
    const wchar_t* unexpectedArgumentFormat; // %s: the argument
    const wchar_t* captureOptionMissing;
    const wchar_t* badWindowChoiceFormat; // %s: the option, %s: the value
    const wchar_t* badFormatFormat;       // %s: the option, %s: the value
    const wchar_t* badDelayFormat;        // %s: the option, %s: the value
    const wchar_t* noWindowMatchedFormat; // %s: WHICH as given
    const wchar_t* windowCaptureFailed;
    const wchar_t* cannotWriteFileFormat; // %s: the file's full path, %s: the system's reason
    const wchar_t* fileExistsFormat;      // %s: the file's full path
};

// The names of the languages as the language choice shows them, whatever language is shown.
inline constexpr const wchar_t* kJapaneseName = L"日本語";
inline constexpr const wchar_t* kEnglishName = L"English";

// The table of a shown language (Japanese or English; Automatic gives Japanese).
const Texts& TextsIn(Language shown);

// The format with each "%s" and "%d" replaced by the next value, in order, and "%%" by "%". A
// placeholder without a value is left out.
std::wstring FillIn(std::wstring_view format, std::initializer_list<std::wstring_view> values);

// The standard error box's text: a "." is added when the last character sorts after ".".
std::wstring ErrorBoxText(std::wstring_view message);

} // namespace kelpix::core
