// tovrand_at_step: tovrand with a test's hand in one step of the
// replacement of its output (TempFileStep, base/temp_file.h), so that a
// test reaches each moment an interrupt or another program can come at on
// every run, not by chance.
//
//   tovrand_at_step STEP ACTION tovrand-arguments...
//     STEP   create, lock, write, sync, rename, refused or renamed
//     ACTION what to do the first time the run comes to STEP:
//            int, term, hup    raise SIGINT, SIGTERM or SIGHUP (POSIX)
//            int, break, close Ctrl-C, Ctrl-Break, the console closing
//                              (Windows), handed to the program as the
//                              system hands it: a new thread at
//                              CtrlRoutine; the step goes on once the
//                              handler has it
//            pause             create the file "paused" in the current
//                              folder, then wait until standard input ends
//   tovrand_at_step hold FILE
//     opens FILE for reading as the most jealous reader may (a hex editor:
//     on Windows sharing only reading, so that nobody may write, rename or
//     delete it meanwhile), creates "holding" in the current folder, and
//     keeps FILE open until standard input ends.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/run.h"
#include "base/console.h"
#include "base/interrupt.h"
#include "base/temp_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace {

using tovrand::TempFileStep;

const struct {
  const char* name;
  TempFileStep step;
} kSteps[] = {
    {"create", TempFileStep::kCreate},
    {"lock", TempFileStep::kLock},
    {"write", TempFileStep::kWrite},
    {"sync", TempFileStep::kSync},
    {"rename", TempFileStep::kRename},
    {"refused", TempFileStep::kRenameRefused},
    {"renamed", TempFileStep::kRenamed},
};

#ifdef _WIN32
const struct {
  const char* name;
  DWORD event;
} kInterrupts[] = {{"int", CTRL_C_EVENT},
                   {"break", CTRL_BREAK_EVENT},
                   {"close", CTRL_CLOSE_EVENT}};

void Raise(DWORD event) {
  const int before = tovrand::InterruptsReceived();
  const FARPROC routine =
      GetProcAddress(GetModuleHandleA("kernelbase.dll"), "CtrlRoutine");
  HANDLE thread =
      routine == nullptr
          ? nullptr
          : CreateThread(nullptr, 0,
                         reinterpret_cast<LPTHREAD_START_ROUTINE>(
                             reinterpret_cast<void (*)()>(routine)),
                         reinterpret_cast<void*>(static_cast<uintptr_t>(event)),
                         0, nullptr);
  if (thread != nullptr) CloseHandle(thread);
  for (int waited = 0; thread != nullptr && waited < 10000; ++waited) {
    if (tovrand::InterruptsReceived() != before) return;
    Sleep(1);
  }
  std::fprintf(stderr, "tovrand_at_step: the interrupt did not arrive\n");
  ExitProcess(125);
}
#else
const struct {
  const char* name;
  int event;
} kInterrupts[] = {{"int", SIGINT}, {"term", SIGTERM}, {"hup", SIGHUP}};

void Raise(int event) { raise(event); }
#endif

TempFileStep g_step;
const char* g_action;
bool g_acted = false;

void WaitForTheEndOfInput() {
  while (std::fgetc(stdin) != EOF) {
  }
}

bool CreateMarker(const char* name) {
  std::FILE* marker = std::fopen(name, "wb");
  return marker != nullptr && std::fclose(marker) == 0;
}

void OnStep(TempFileStep step) {
  if (step != g_step || g_acted) return;
  g_acted = true;
  for (const auto& interrupt : kInterrupts) {
    if (std::strcmp(g_action, interrupt.name) == 0)
      return Raise(interrupt.event);
  }
  if (CreateMarker("paused")) WaitForTheEndOfInput();
}

int Hold(const char* path) {
#ifdef _WIN32
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE || !CreateMarker("holding")) return 1;
  WaitForTheEndOfInput();
  CloseHandle(file);
#else
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr || !CreateMarker("holding")) return 1;
  WaitForTheEndOfInput();
  std::fclose(file);
#endif
  return 0;
}

bool Parse(const char* step, const char* action) {
  bool known_action = std::strcmp(action, "pause") == 0;
  for (const auto& interrupt : kInterrupts)
    known_action = known_action || std::strcmp(action, interrupt.name) == 0;
  for (const auto& s : kSteps) {
    if (std::strcmp(step, s.name) == 0) {
      g_step = s.step;
      g_action = action;
      return known_action;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
  if (argc < 3 || !Parse(argv[1], argv[2])) {
    std::fprintf(stderr,
                 "usage: tovrand_at_step STEP ACTION tovrand-arguments...\n"
                 "       tovrand_at_step hold FILE\n");
    return 2;
  }
  tovrand::SetTempFileStepHook(OnStep);
  argv[2] = argv[0];
  return tovrand::RunOnConsole(tovrand::Run, argc - 2, argv + 2);
}
