// Start-up: creates the three forms in order, runs the message loop, and cleans up.
#pragma once
#include <windows.h>

namespace kelpix {

// Runs the whole program. Always returns 0, the program's exit code.
int RunProgram(HINSTANCE instance);

} // namespace kelpix
