// Text for whoever started the program from a command line. The program is a windowed one, which
// Windows starts without a console of its own: it writes to the standard output and error it was
// given (a pipe, a file, a console), and where it was given none, to the console of the program
// that started it.
#pragma once

#include <string>
#include <string_view>
#include <windows.h>

namespace kelpix {

enum class OutputStream { Output, Error };

// Attaches the program to the console of the program that started it, when that has one (once; later
// calls only answer). Its Ctrl+C and its close then reach this program too.
bool AttachToStartingConsole();

// Writes the text, whose lines end in "\n", to the stream, with "\r\n" line ends. A console gets it
// as Unicode (WriteConsoleW). A pipe or a file gets it in the output code page of the console the
// program was started from, which is what cmd (its "for /f" and pipes), PowerShell and more.com
// read it in, and which follows "chcp" (65001: UTF-8); without a console, in the OEM code page a
// console starts with. A character that code page lacks becomes "?", never a look-alike that could
// name another file. A stream that leads nowhere takes nothing. False when the text could not be
// written.
bool WriteText(OutputStream stream, std::wstring_view text);

// The text in the code page, characters it lacks as "?" (see WriteText).
std::string InCodePage(std::wstring_view text, UINT codePage);

} // namespace kelpix
