#include "console/console.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace tovrand {
namespace {

int Says(int, const char* const*, Messages* out) {
  out->Line("Aborted");
  return 3;
}
int RunsOutOfMemory(int, const char* const*, Messages* out) {
  out->Line("half");
  throw std::bad_alloc();
}
int Throws(int, const char* const*, Messages*) {
  throw std::runtime_error("a fault");
}

// What a program's body says and returns reaches the terminal; an
// exception ends it with one line and status 1, never on stderr.
TEST(ConsoleTest, ABodysLinesAndStatusOrItsExceptionInOneLine) {
  const struct {
    ProgramBody body;
    std::string out;
    int status;
  } kCases[] = {
      {Says, "Aborted\n", 3},
      {RunsOutOfMemory, "half\nmalloc failed\n", 1},
      {Throws, "Internal error\n", 1},
  };
  for (const auto& c : kCases) {
    char name[] = "tovrand";
    char* argv[] = {name, nullptr};
    for (bool text : {false, true}) {
      SCOPED_TRACE(c.out + (text ? " as text" : ""));
      testing::internal::CaptureStdout();
      testing::internal::CaptureStderr();
      const int status = text ? RunTextOnConsole(c.body, "malloc failed", 1, argv)
                              : RunOnConsole(c.body, 1, argv);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
      EXPECT_EQ(status, c.status);
    }
  }
}

}  // namespace
}  // namespace tovrand
