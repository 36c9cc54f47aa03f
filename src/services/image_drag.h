// Dragging an image out to another program with OLE: dropped on a folder it makes the image's file,
// on a chat or a browser it uploads it, on a word processor it inserts the picture.
#pragma once
#include "services/captured_image.h"

#include <functional>
#include <string>

namespace kelpix {

// Drags the image until the button comes up (a drop) or Escape is pressed. The program under the
// pointer may take the image's file as a file list (CF_HDROP), its "PNG" and a 24-bit DIB (CF_DIB),
// each made when a program first asks for it: `fileOf` gives the file, and may write it. The first
// drag loads ole32 from the system folder and initialises OLE on the calling thread, which must be
// the one with the windows. True when the image was dropped; what could not be made for a program
// that asked is raised once the drag is over.
bool DragImageOut(SharedImage image, std::function<std::wstring()> fileOf);

} // namespace kelpix
