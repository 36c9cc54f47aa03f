// The user's settings, held by the main window.
#pragma once
#include <cstdint>
#include <string>

namespace kelpix {

struct TOptionSettings {
    bool CloseTask = false;     // closing the main window stores it in the notification area
    bool KidoTask = false;      // start in the notification area
    bool Fukugen = false;       // the main window's toggles are written back when changed
    bool MouseCapture = false;  // draw the cursor into captures
    bool TimeCapture = false;   // delay captures by Time seconds
    int32_t Time = 1;           // the delay in seconds
    std::string SaveDir;        // folder last saved to
};

} // namespace kelpix
