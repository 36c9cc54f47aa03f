// The program takes no notice of its command line and always exits with code 0.
#include "app/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return kelpix::RunProgram(instance); }
