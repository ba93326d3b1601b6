#ifndef TOVRAND_BASE_CONSOLE_H_
#define TOVRAND_BASE_CONSOLE_H_

#include "base/messages.h"

namespace tovrand {

// A program's body: takes its arguments, writes its lines to `out` and
// returns the exit status.
using ProgramBody = int (*)(int argc, const char* const* argv, Messages* out);

// What each program's main does: takes over interrupts (base/interrupt.h),
// runs `body` with its lines going to
// standard output (CR LF on Windows, where standard output is in text mode),
// turns an exception into one line and status 1 so that none reaches the
// user's terminal, and flushes. Returns the exit status.
int RunOnConsole(ProgramBody body, int argc, char** argv);

}  // namespace tovrand

#endif  // TOVRAND_BASE_CONSOLE_H_
