// tovrand: rescales the tank and infantry quantities of one side's pools in
// the game's FPools file. See README.md.

#include "run/run.h"
#include "console/console.h"

int main(int argc, char** argv) {
  return tovrand::RunOnConsole(tovrand::Run, argc, argv);
}
