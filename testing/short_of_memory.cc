// short_of_memory: tovrand or tovdiff, whole, where memory runs out at a
// chosen place, so that a test sees what the program does then on every
// run, not only on a machine that happens to be short of it.
//
//   short_of_memory PROGRAM WHERE program-arguments...
// PROGRAM is tovrand or tovdiff. WHERE is
//   new=N   from the start of the program's body on, every operator new of
//           more than N bytes throws std::bad_alloc, as a container finds
//           memory gone (0: every one);
//   buffer  the first buffer a whole file is read into cannot be had;
//   grow    no such buffer can grow.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "run/run.h"
#include "console/console.h"
#include "report/command_line.h"
#include "testing/file_buffer_shortage.h"

namespace {

bool g_short = false;  // operator new fails above g_limit
size_t g_limit = 0;
tovrand::ProgramBody g_program = nullptr;

int ShortBody(int argc, const char* const* argv, tovrand::Messages* out) {
  g_short = true;
  return g_program(argc, argv, out);
}

void* Allocate(size_t size) {
  if (g_short && size > g_limit) throw std::bad_alloc();
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "tovrand") == 0)
    g_program = tovrand::Run;
  if (argc >= 3 && std::strcmp(argv[1], "tovdiff") == 0)
    g_program = tovrand::RunDiff;
  const bool limited = argc >= 3 && std::strncmp(argv[2], "new=", 4) == 0;
  const bool buffer = argc >= 3 && std::strcmp(argv[2], "buffer") == 0;
  const bool grow = argc >= 3 && std::strcmp(argv[2], "grow") == 0;
  if (g_program == nullptr || !(limited || buffer || grow)) {
    std::fprintf(stderr,
                 "usage: short_of_memory tovrand|tovdiff new=N|buffer|grow "
                 "program-arguments...\n");
    return 2;
  }
  if (limited) g_limit = std::strtoul(argv[2] + 4, nullptr, 10);
  FileBufferShortage shortage(buffer ? 1 : 0, grow);
  argv[2] = argv[1];
  tovrand::ProgramBody body = limited ? ShortBody : g_program;
  if (g_program == tovrand::RunDiff) {
    return tovrand::RunTextOnConsole(body, tovrand::kReportOutOfMemory,
                                     argc - 2, argv + 2);
  }
  return tovrand::RunOnConsole(body, argc - 2, argv + 2);
}
