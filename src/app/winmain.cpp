// The program takes no notice of its command line and always exits with code 0.
#include "app/program.h"
#include "toolkit/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything can load a library: only the system's own, from the system folder.
    kelpix::SearchLibrariesInSystemFolderOnly();
    return kelpix::RunProgram(instance);
}
