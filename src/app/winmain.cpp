// Kelpix.exe without arguments is the program with its window; with arguments it is a scripted
// capture (Kelpix.exe --capture WHICH [options]) or the usage, which show no window and end with an
// exit code.
#include "app/command_line_run.h"
#include "app/program.h"
#include "core/command_line.h"
#include "toolkit/system_library.h"

#include <span>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a library: only the system's own, from the system folder.
    kelpix::SearchLibrariesInSystemFolderOnly();
    // Read as Unicode, whatever the code page: titles and paths in any script.
    const std::vector<std::wstring> arguments = kelpix::core::SplitCommandLine(GetCommandLineW());
    const kelpix::core::CommandLine command = kelpix::core::ReadCommandLine(std::span(arguments).subspan(1));
    if (std::holds_alternative<kelpix::core::NormalStart>(command)) return kelpix::RunProgram(instance);
    return kelpix::RunCommandLine(command);
}
