// tovrand: rescales the tank and infantry quantities of one side's pools in
// the game's FPools file. See README.md.

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "app/run.h"

namespace {

class StdoutMessages : public tovrand::Messages {
 public:
  void Line(const std::string& text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  }
};

}  // namespace

#ifdef __MINGW32__
// Each argument reaches the program as typed: the MinGW-w64 C runtime could
// otherwise be built to expand wildcards such as * into file names.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
  StdoutMessages messages;
  int status = 1;
  // No exception may reach the user's terminal. The product throws none;
  // the standard library's containers may throw bad_alloc when memory runs
  // out, which is a fatal stop.
  try {
    status = tovrand::Run(argc, argv, &messages);
  } catch (const std::bad_alloc&) {
    messages.Line("malloc failed");
    status = 1;
  } catch (...) {
    messages.Line("Internal error");
    status = 1;
  }
  std::fflush(stdout);
  return status;
}
