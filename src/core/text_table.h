// The fields of the text table (core/texts.h): every text the program shows, one table per language.
// Formats take their values through FillIn ("%s", "%d"); lists hold their entries separated by "|".
#pragma once

namespace kelpix::core {

// clang-format off
struct TextTable {
    // Main window: the caption (%s: the version), the delay button (%d: seconds), the other buttons.
    const wchar_t *captionFormat, *versionUnknown, *delayButtonFormat, *cursorButton, *recopyButton;
    // Main menu and context menu.
    const wchar_t *menuFile, *menuSave, *menuExit, *menuView, *menuDefaultSize, *menuTakeSizeBelow,
        *menuTranslucent, *menuTool, *menuCaptureOwnArea, *menuRecopy, *menuStoreInTray, *menuOptions, *menuHelp,
        *menuOpenHelp;
    // Notification area (its menu also offers menuOptions and menuExit).
    const wchar_t *trayTip, *trayMenuShow, *hookInstallFailed;
    // Options dialog; the other two languages are named in their own language.
    const wchar_t *optionsCaption, *groupEnvironment, *checkCloseToTray, *checkStartInTray, *checkRestoreToggles,
        *groupOperation, *checkDrawCursor, *checkDelayedCapture, *secondsLater, *languageLabel, *languageAutomatic,
        *buttonOk, *buttonCancel;
    // Save dialog: the filter ("name|pattern|..." for bitmap, JPEG, PNG) and the title.
    const wchar_t *saveFilter, *saveTitle;
    // Help: the file beside the program, and the message when it is missing.
    const wchar_t *helpFile, *helpMissing, *helpMissingCaption;
    // Errors. cannotWriteFormat %s: the settings file; cannotCreateFileFormat %s: the file; jpegErrorFormat
    // %d: the library's error number; pngErrorFormat %s: its message; libraryMissingFormat %s: the library.
    const wchar_t *clipboardOpenFailed, *cannotWriteFormat, *cannotCreateFileFormat, *streamWriteError,
        *jpegErrorFormat, *pngErrorFormat, *imageReadFailed, *outOfMemory, *libraryMissingFormat;
    // The parts that other windows cover (options dialog, below the language row).
    const wchar_t *checkPrintWindow;
    // Automatic save: the options dialog's group, the folder chooser, the failure (%s: the folder,
    // %s: the reason); autoSaveFolderDefault is shown in the empty folder box.
    const wchar_t *groupAutoSave, *checkAutoSave, *autoSaveFolderLabel, *autoSaveFolderDefault, *browseButton,
        *browseTitle, *autoSaveFormatLabel, *autoSaveNameLabel, *autoSaveFailedFormat;
    // Global shortcut keys and the start with Windows. keyHeldFormat %s: the keys' names, joined by
    // keyNameSeparator.
    const wchar_t *groupShortcutKeys, *labelPointerWindowKey, *labelActiveWindowKey, *checkStartWithWindows,
        *keyHeldFormat, *keyNameSeparator, *startupEntryFailed;
    // Nothing replaced unasked, nothing lost. replaceQuestionFormat %s: the file that would be replaced;
    // newFileKeptFormat %s: the file that could not be made, %s: where the new image is kept;
    // settingsTooLargeFormat %s: the settings file; trayDragsUnavailable: no shared block for the hook.
    const wchar_t *replaceQuestionFormat, *newFileKeptFormat, *settingsTooLargeFormat, *trayDragsUnavailable;
    // The command line (Kelpix.exe --capture WHICH [options]): the usage (lines ending in "\n"), the line
    // naming a usage error (%s: the option or argument; the bad* formats also %s: the value), and the
    // lines saying why a capture ended with another exit code (%s: WHICH, or the file and the reason).
    const wchar_t *commandLineUsage, *unknownOptionFormat, *missingValueFormat, *valueNotTakenFormat,
        *repeatedOptionFormat, *unexpectedArgumentFormat, *captureOptionMissing, *badWindowChoiceFormat,
        *badFormatFormat, *badDelayFormat, *noWindowMatchedFormat, *windowCaptureFailed, *cannotWriteFileFormat,
        *fileExistsFormat;
    // The markup editor: the menu item, the option, the caption; the toolbar's labels and tips (lists
    // in the order of the tools, the colours and the three sizes); Done, undo and redo; the question
    // before changes are thrown away, and an image too large to edit.
    const wchar_t *menuEditImage, *checkEditAfterCapture, *editorCaption, *editorToolLabels, *editorToolTips,
        *editorColourTips, *editorSizeLabels, *editorSizeTips, *editorDone, *editorDoneTip, *editorUndo, *editorUndoTip,
        *editorRedo, *editorRedoTip, *editorDiscardQuestion, *editorImageTooLarge;
    // The window's shape: the option that makes the outside of it transparent (PNG) or white.
    const wchar_t *checkShapeMask;

    // Handing a capture over: the items of the File menu and the tray menu, the recent captures' menu
    // when it lists none, the option, and a copied file that cannot be written (%s: the folder, %s: why).
    const wchar_t *menuCopyAsFile, *menuRecentCaptures, *recentCapturesNone, *checkCopyAsFile, *copiedFileFailedFormat;
};
// clang-format on

} // namespace kelpix::core
