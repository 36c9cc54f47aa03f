// Saving the last image as a BMP, JPEG or PNG file through the save dialog.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace kelpix {

// What the save dialog keeps from one use to the next.
struct SaveDialogMemory {
    DWORD filterIndex = 1; // 1 bitmap, 2 JPEG, 3 PNG
    std::wstring fileName; // the name last chosen, shown pre-filled
};

// Asks for a file name (opening in `folder`, when there is one) and writes the image there in the
// format of the chosen entry, whatever extension was typed. Returns the folder of the chosen name,
// or nothing when the dialog was cancelled. A failure raises the error to show; an existing file
// is then left as it was and nothing new is left behind.
std::optional<std::wstring> SaveImageAs(HWND owner, HBITMAP image, const std::wstring& folder,
                                        SaveDialogMemory& memory);

} // namespace kelpix
