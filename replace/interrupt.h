#ifndef TOVRAND_REPLACE_INTERRUPT_H_
#define TOVRAND_REPLACE_INTERRUPT_H_

namespace tovrand {

// What an interrupt does to our programs: Ctrl-C, SIGTERM and SIGHUP on
// POSIX systems; Ctrl-C, Ctrl-Break and closing the console on Windows.
//
// From HandleInterrupts() until the process ends, an interrupt ends the
// program as an interrupted one, never with status 0: by that signal
// (status 130, 143 or 129 in a shell), or with STATUS_CONTROL_C_EXIT on
// Windows, whatever the default handling there would give. First it removes
// the temporary file the program is writing (replace/temp_file.h); while that
// file is being created or renamed over its target, the interrupt waits for
// that step to finish. Once the file has replaced its target, the program
// has done its work: an interrupt no longer ends it, and it goes on to say
// so and end with its own status. So an interrupted run leaves the old
// output and nothing of its own, and a run that replaced its output reports
// that. A signal that was ignored when the program started (nohup, a
// background job) stays ignored.

// Takes over the interrupts for the rest of the process. Every program's
// main calls it (console/console.h) before anything else.
void HandleInterrupts();

// How many interrupts have reached the handler so far. On Windows the
// handler runs on a thread of its own; a test program that raises an
// interrupt waits on this to know it has arrived.
int InterruptsReceived();

}  // namespace tovrand

#endif  // TOVRAND_REPLACE_INTERRUPT_H_
