// The files a copy as a file hands over (core/copied_files.h): PNGs written into Kelpix's folder
// under the user's temporary folder, offered on the clipboard and in a drag as a file list, and
// removed at a later start once they are a day old.
#pragma once
#include <windows.h>

#include "services/captured_image.h"
#include "toolkit/handles.h"

#include <string>

namespace kelpix {

// "Kelpix\" in the user's temporary folder, ending in "\"; empty when the system names none.
std::wstring CopiedFilesFolder();

// Writes the image as a PNG into that folder (made when missing) under its capture's name
// (core::CopiedFileStem, the time of the call for an image that noted none), never over a file, and
// returns the file's path. A failure raises one FileError whose message names the folder and why.
std::wstring WriteCopiedFile(const CapturedImage& image);

// Removes the copied files written more than a day ago; one that cannot be removed stays for the
// next start, and the rest of the folder is never touched.
void RemoveStaleCopiedFiles();

// The file as the shell's file list (CF_HDROP: a DROPFILES and the path in UTF-16), in movable
// memory that another program may come to own; none when there is no memory for it.
GlobalMemory FileListOf(const std::wstring& path);

} // namespace kelpix
