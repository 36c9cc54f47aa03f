// The main window: the target icon to drag, the capture toggles, the last image and the menus. It
// turns what the user does into the session's events and shows what the program asks it to.
#pragma once
#include "services/captured_image.h"
#include "ui/menus.h"
#include "ui/session_port.h"
#include "ui/window_messages.h"
#include "toolkit/controls.h"
#include "toolkit/drag_start.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"

#include <memory>
#include <string>

namespace kelpix {

// Posted by a second start of Kelpix to the running one's main window: show yourself.
UINT ShowRunningMessage();

class MainWindow : public Form {
public:
    static constexpr wchar_t kClassName[] = L"TKelpix";

    // shown: the settings the toggles start with.
    MainWindow(SessionPort& session, const core::Settings& shown);
    ~MainWindow() override;

    // The version for the caption: "major.minor" of the module's file version, or "(未定義)".
    static std::wstring VersionText(HMODULE module = nullptr);

    // Shows or hides the main window together with the taskbar button.
    void ShowWithTaskbarButton(bool visible);
    // Shown, restored if minimised, activated and brought to the front.
    void Restore();
    // During a drag the target icon leaves the panel and is the pointer everywhere.
    void ShowDragCursor(bool dragging);
    void ShowSettings(const core::Settings& settings);
    // Shows every text again in the language shown now (the caption, the menus, the buttons, the font).
    void ShowTexts();
    void PressRecopyButton(bool down);
    // The last image: shown, and kept for the clipboard, the files and the editor.
    void ShowImage(SharedImage image);
    void ShowImage(Bitmap image, SIZE size); // a bitmap of the screen's DPI, of no shape
    const SharedImage& CurrentImage() const { return current_; }
    HBITMAP LastImage() const { return current_ ? current_->bitmap.get() : nullptr; }
    SIZE LastImageSize() const { return current_ ? current_->size : SIZE{0, 0}; }

    // The view commands.
    void RestoreDefaultSize();
    // Takes the place and size of whatever lies under its top-left corner.
    void FitToWindowBelow();
    // Translucent or opaque, the menus' items ticked to match.
    void ShowTranslucent(bool on);
    bool Translucent() const { return translucent_; }

    // The controls, as the user sees them.
    Panel& TargetPanel() { return *targetPanel_; }
    ImageView& TargetIcon() { return *targetIcon_; }
    SpeedButton& DelayButton() { return *delayButton_; }
    HWND DelayArrows() const { return delayArrows_; }
    SpeedButton& CursorButton() { return *cursorButton_; }
    SpeedButton& RecopyButton() { return *recopyButton_; }
    ScrollBox& ImageBox() { return *imageBox_; }
    ImageView& LastImageView() { return *lastImage_; }
    HMENU MenuBar() const { return menus_.bar; }
    HMENU ContextMenu() const { return menus_.context; }
    SIZE DefaultClientSize() const { return defaultClientSize_; }

    bool PreTranslateMessage(MSG& msg) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool CanClose() override;

private:
    void CreateControls();
    void ShowCaption();
    void ShowDelay(int32_t seconds);
    void LayoutControls();
    void LoadTargetIcon();
    void DpiChanged() override;
    // The mouse on the target icon or the panel round it.
    void TargetIconMouse(Window& control, UINT msg, POINT pos);
    void DelayArrowsUsed();
    // A double click on the last image opens the editor on it; a press and a move drags it out.
    void ImageMouse(UINT msg, WPARAM keys, POINT pos);
    void TickTranslucentItems();
    // Parts of HandleMessage.
    void Paint();
    void HookReported(WPARAM mouseMessage);
    void ShortcutKeyPressed(WPARAM keyId);
    void ShowContextMenu(LPARAM at);
    // A command from the menus or the shortcuts, to the session; captureNumber: the recent capture
    // chosen (core::Command::RecentCapture).
    void Choose(core::Command command, uint32_t captureNumber = 0);
    void Send(core::Event event) { session_.Send(std::move(event)); }

    SessionPort& session_;
    SharedImage current_;
    MainMenus menus_;
    std::unique_ptr<ScrollBox> imageBox_;
    std::unique_ptr<ImageView> lastImage_;
    std::unique_ptr<Panel> targetPanel_;
    std::unique_ptr<ImageView> targetIcon_;
    std::unique_ptr<SpeedButton> delayButton_;
    HWND delayArrows_ = nullptr;
    std::unique_ptr<SpeedButton> cursorButton_;
    std::unique_ptr<SpeedButton> recopyButton_;

    Icon targetIconImage_;
    SIZE defaultClientSize_{0, 0};
    int delayArrowsPosition_ = 1; // as last seen
    int32_t delaySeconds_ = 1;    // as the delay button shows it
    bool firstShowDone_ = false;
    bool translucent_ = false;
    DWORD imagePressTime_ = 0; // the last left press on the image, for a double click
    POINT imagePressAt_{0, 0};
    DragStart imageDrag_;
    RecentCapturesMenu recentMenu_;
    Window* pressedControl_ = nullptr; // the target panel or icon while the left button is held on it
};

} // namespace kelpix
