// Where start-up time goes: with KELPIX_STARTUP_TRACE naming a file, the program notes the moment
// each step of its start-up ends and writes them there, in milliseconds since the process was
// created, once the main window shows. Without it, marking a step costs one check of a flag.
#pragma once

namespace kelpix::startup_trace {

// Notes the end of a step; `step` is a literal that names it.
void Mark(const char* step);
// Writes what was noted, and notes no more.
void Finish();

} // namespace kelpix::startup_trace
