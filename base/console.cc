#include "base/console.h"

#include <cstdio>
#include <new>
#include <string>

#include "base/interrupt.h"

#ifdef __MINGW32__
// Each argument reaches the program as typed: the MinGW-w64 C runtime could
// otherwise be built to expand wildcards such as * into file names. Defined
// here, beside the code every main calls, so every program gets it.
extern "C" {
int _dowildcard = 0;
}
#endif

namespace tovrand {

namespace {

class StdoutMessages : public Messages {
 public:
  void Line(const std::string& text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
  }
};

}  // namespace

int RunOnConsole(ProgramBody body, int argc, char** argv) {
  HandleInterrupts();
  StdoutMessages messages;
  int status = 1;
  // The product throws none; the standard library's containers may throw
  // bad_alloc when memory runs out, which is a fatal stop.
  try {
    status = body(argc, argv, &messages);
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

}  // namespace tovrand
