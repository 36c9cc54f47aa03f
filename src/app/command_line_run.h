// A scripted run: what a command line with arguments asks for (core/command_line.h). It shows no
// window and no notification-area icon and takes no focus; it does not look for a running Kelpix
// and changes nothing of one; it reads the settings file (the language, the automatic-save folder
// and name pattern) and never writes it. What it prints goes to the standard output and error it
// was given, else to the console it was started from (services/console_output.h).
#pragma once
#include "core/command_line.h"

namespace kelpix {

// Prints the usage (UsageWanted), or the line naming a usage error and the usage after it
// (UsageProblem), or captures the window a CaptureRequest names. A capture:
//  - takes --out's full path and, before anything else, refuses a file that exists without
//    --overwrite (exit 5) or a folder of that name (exit 4);
//  - waits --delay seconds, then finds the window (exit 2 when none matches) and grabs it (exit 3
//    when it is hidden or minimised, or no picture can be had);
//  - with --clipboard, offers the image to the clipboard (exit 3 when it stays held by another
//    program for a second), rendered before the program ends so that it stays pasteable;
//  - writes the file: --out through the safe replace with --overwrite, else only as a new file
//    (exit 5 for one made meanwhile); without --out in the automatic-save folder under its name
//    pattern, in the format asked for (PNG unless --format says otherwise), never over a file. A
//    failure leaves no file behind and exits with 4, giving the system's reason;
//  - prints the written file's full path on one line once the file is complete; exit 0.
// Every failure prints one line on the standard error. A Ctrl+C or a closed console ends the run
// at once while it waits; once the image is being delivered, only after that is done.
// Returns the exit code (core::ExitCode).
int RunCommandLine(const core::CommandLine& command);

} // namespace kelpix
