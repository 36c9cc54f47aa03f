// Writing each capture to the automatic-save folder, under a name made from the user's pattern.
#pragma once
#include <windows.h>

#include "core/settings.h"
#include "services/captured_image.h"
#include "services/image_files.h"

#include <string>

namespace kelpix {

// The folder automatic saves go to, ending in "\": the chosen one, or "Kelpix" in the user's
// Pictures folder.
std::wstring AutoSaveFolder(const core::Settings& settings);

// Writes the image into the folder (made when missing) under the pattern's name for what its capture
// noted (CapturedImage::facts) and the capture's number, never replacing a file: a name that is taken
// gets " (2)", " (3)"... Returns the file's path. A failure raises one FileError whose message names
// the folder and the reason.
std::wstring SaveAutomatically(const CapturedImage& image, const core::Settings& settings, uint32_t number);

// Writes the image into `folder` (ending in "\"; made, with the folders above it, when missing) under
// the first free numbered name of `stem`, never replacing a file, and returns its path. A failure
// raises one FileError whose message is `failedFormat` with the folder and the reason.
std::wstring SaveIntoFolder(const std::wstring& folder, const std::wstring& stem, ImageFormat format,
                            const CapturedImage& image, const wchar_t* failedFormat);

} // namespace kelpix
