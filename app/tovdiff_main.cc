// tovdiff: shows what a tovrand run changed in FPools. See README.md.

#include "report/command_line.h"
#include "base/console.h"

int main(int argc, char** argv) {
  return tovrand::RunOnConsole(tovrand::RunDiff, argc, argv);
}
