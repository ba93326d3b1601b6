// tovdiff: shows what a tovrand run changed in FPools. See README.md.

#include "console/console.h"
#include "report/command_line.h"

#ifdef _WIN32
// The wide entry point: paths reach tovdiff as typed, whatever the ANSI
// code page (linked with -municode).
int wmain(int argc, wchar_t** argv) {
  return tovrand::RunTextOnConsole(tovrand::RunDiff,
                                   tovrand::kReportOutOfMemory, argc, argv);
}
#else
int main(int argc, char** argv) {
  return tovrand::RunTextOnConsole(tovrand::RunDiff,
                                   tovrand::kReportOutOfMemory, argc, argv);
}
#endif
