#ifndef TOVRAND_CONSOLE_CONSOLE_H_
#define TOVRAND_CONSOLE_CONSOLE_H_

#include "base/messages.h"

namespace tovrand {

// A program's body: takes its arguments, writes its lines to `out` and
// returns the exit status.
using ProgramBody = int (*)(int argc, const char* const* argv, Messages* out);

// What each program's main does: takes over interrupts (replace/interrupt.h),
// runs `body` with its lines going to standard output in large blocks
// (base/line_writer.h), each line ended by CR LF on Windows and LF
// elsewhere, turns an exception into one line and status 1 so that none
// reaches the user's terminal, and writes every line out before it returns
// the exit status, on every path.

// tovrand's: its lines go out as the bytes they are, and the status is the
// body's whether or not standard output took them. Memory that runs out is
// told by "malloc failed".
int RunOnConsole(ProgramBody body, int argc, char** argv);

// tovdiff's: its lines are UTF-8 text. On a Windows console they are shown
// as the characters they are, whatever the console's code page; anywhere
// else they go out as UTF-8. A report that could not all be written (a full
// disk, a closed pipe) ends with status 1: a closed pipe is an error to
// write to, not a signal that ends the program. Memory that runs out is
// told by the line `out_of_memory`.
int RunTextOnConsole(ProgramBody body, const char* out_of_memory, int argc,
                     char** argv);
#ifdef _WIN32
// The same, from wmain: the arguments as Windows gives them, whatever the
// ANSI code page, handed to `body` in UTF-8.
int RunTextOnConsole(ProgramBody body, const char* out_of_memory, int argc,
                     wchar_t** argv);
#endif

}  // namespace tovrand

#endif  // TOVRAND_CONSOLE_CONSOLE_H_
