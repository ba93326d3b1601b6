#include "console/console.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "replace/interrupt.h"
#include "base/line_writer.h"
#include "base/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#ifdef __MINGW32__
// Each argument reaches the program as typed: the MinGW-w64 C runtime could
// otherwise be built to expand wildcards such as * into file names. Defined
// here, beside the code every main calls, so every program gets it (the
// wide start-up of wmain reads it too).
extern "C" {
int _dowildcard = 0;
}
#endif

#ifdef _WIN32
// Interrupts are taken over as soon as the program's own code runs: in a
// TLS callback, which the loader calls as it starts the process, before the
// C runtime and main. Until then Ctrl-C gets the system's default handling,
// which under Wine ends the process with status 0 as if it had succeeded.
// A console event that comes while the loader runs waits for it, so it
// finds the handler in place.
extern "C" {
static void NTAPI TakeInterruptsEarly(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_PROCESS_ATTACH) tovrand::HandleInterrupts();
}
__attribute__((section(".CRT$XLB"), used))
const PIMAGE_TLS_CALLBACK tovrand_take_interrupts_early = TakeInterruptsEarly;
}
#endif

namespace tovrand {

namespace {

enum class Output { kBytes, kText };

#ifdef _WIN32

constexpr char kLineEnd[] = "\r\n";

bool WriteAllToConsole(HANDLE handle, const std::wstring& text) {
  const wchar_t* at = text.data();
  size_t left = text.size();
  while (left > 0) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(left < 32768 ? left : 32768);
    // A character outside the BMP is two units: never split between calls.
    if (chunk < left && at[chunk - 1] >= 0xD800 && at[chunk - 1] <= 0xDBFF)
      --chunk;
    if (!WriteConsoleW(handle, at, chunk, &written, nullptr) || written == 0)
      return false;
    at += written;
    left -= written;
  }
  return true;
}

LineWriter::Write StandardOutput(Output output) {
  HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  // A console takes UTF-16 whatever its code page; a file, a pipe or NUL
  // gets the bytes.
  if (output == Output::kText && handle != nullptr &&
      handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR &&
      GetConsoleMode(handle, &mode)) {
    return [handle](std::string_view bytes) {
      return WriteAllToConsole(handle, WideFromUtf8(bytes));
    };
  }
  return [handle](std::string_view bytes) {
    return WriteAll(reinterpret_cast<intptr_t>(handle), bytes.data(),
                    bytes.size());
  };
}

#else

constexpr char kLineEnd[] = "\n";

LineWriter::Write StandardOutput(Output) {
  // Writing to a pipe whose reader has gone fails with EPIPE instead of
  // ending the program: tovdiff says by its status that its report was not
  // read, and tovrand's status still says what became of its output, as
  // when standard output is a full disk.
  signal(SIGPIPE, SIG_IGN);
  return [](std::string_view bytes) {
    return WriteAll(STDOUT_FILENO, bytes.data(), bytes.size());
  };
}

#endif

int RunBody(ProgramBody body, int argc, const char* const* argv, Output output,
            const char* out_of_memory) {
  HandleInterrupts();
  LineWriter out(kLineEnd, StandardOutput(output));
  // Made now, while there is memory: the writer's block always has room
  // for it.
  const std::string no_memory_line(out_of_memory);
  int status = 1;
  // The product throws none; the standard library's containers may throw
  // bad_alloc when memory runs out, which is a fatal stop.
  try {
    status = body(argc, argv, &out);
  } catch (const std::bad_alloc&) {
    out.Line(no_memory_line);
    status = 1;
  } catch (...) {
    out.Line("Internal error");
    status = 1;
  }
  const bool written = out.Flush();
  return output == Output::kText && !written ? 1 : status;
}

}  // namespace

int RunOnConsole(ProgramBody body, int argc, char** argv) {
  return RunBody(body, argc, argv, Output::kBytes, "malloc failed");
}

int RunTextOnConsole(ProgramBody body, const char* out_of_memory, int argc,
                     char** argv) {
  return RunBody(body, argc, argv, Output::kText, out_of_memory);
}

#ifdef _WIN32
int RunTextOnConsole(ProgramBody body, const char* out_of_memory, int argc,
                     wchar_t** argv) {
  std::vector<std::string> args;
  std::vector<const char*> pointers;
  for (int i = 0; i < argc; ++i) args.push_back(Utf8FromWide(argv[i]));
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  pointers.push_back(nullptr);
  return RunBody(body, argc, pointers.data(), Output::kText, out_of_memory);
}
#endif

}  // namespace tovrand
