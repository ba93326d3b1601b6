// tovrand_at_step: tovrand with a test's hand in one step of the
// replacement of its output (TempFileStep, replace/temp_file.h), so that a
// test reaches each moment an interrupt or another program may come at on
// every run, not by chance.
//
//   tovrand_at_step STEP ACTION tovrand-arguments...
// STEP is start, create, lock, write, sync, rename, refused or renamed. The
// first time the run comes to it, ACTION is done. At start, an interrupt is
// raised before the program's main runs, as early as the program's own code
// does (on Windows from a TLS callback of this program's, which runs just
// after tovrand's own), and main waits for it to arrive. ACTION is one of:
//   int, term, hup     SIGINT, SIGTERM or SIGHUP raised (POSIX);
//   int, break, close  Ctrl-C, Ctrl-Break or the console closing (Windows),
//                      handed over as the system does it, on a new thread
//                      at CtrlRoutine; the run goes on once the handler has
//                      it;
//   pause              the file "paused" made in the current folder, then a
//                      wait until standard input ends;
//   exit               the process ends there with status 0, saying
//                      nothing, as a run stopped under Wine may end.
// With TOVRAND_AT_STEP="STEP ACTION" in the environment, the program takes
// STEP and ACTION from there (start only with exit) and all its arguments
// as tovrand's: it can stand in for tovrand.exe under its name, in a script.
//
//   tovrand_at_step hold FILE
// opens FILE for reading as the most jealous reader may (on Windows sharing
// only reading, as a hex editor), makes "holding" in the current folder,
// and keeps FILE open until standard input ends.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "run/run.h"
#include "console/console.h"
#include "replace/interrupt.h"
#include "replace/temp_file.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

using tovrand::TempFileStep;

const char* const kSteps[] = {"create", "lock",    "write",  "sync",
                              "rename", "refused", "renamed"};
static_assert(static_cast<int>(TempFileStep::kRenamed) == 6,
              "kSteps names the steps in their order");
constexpr int kStart = 7;  // g_step for "start", before any of kSteps

#ifdef _WIN32
const struct {
  const char* name;
  DWORD event;
} kInterrupts[] = {{"int", CTRL_C_EVENT},
                   {"break", CTRL_BREAK_EVENT},
                   {"close", CTRL_CLOSE_EVENT}};

// Hands `event` to the process as Windows does: a new thread at
// CtrlRoutine, which calls the handlers. False when it cannot.
bool Send(DWORD event) {
  const FARPROC routine =
      GetProcAddress(GetModuleHandleA("kernelbase.dll"), "CtrlRoutine");
  return routine != nullptr &&
         CreateThread(nullptr, 0,
                      reinterpret_cast<LPTHREAD_START_ROUTINE>(
                          reinterpret_cast<void (*)()>(routine)),
                      reinterpret_cast<void*>(static_cast<uintptr_t>(event)),
                      0, nullptr) != nullptr;
}

// Waits until the handler has had `received` interrupts in all.
void AwaitInterrupts(int received, bool sent) {
  for (int waited = 0; sent && waited < 10000; ++waited) {
    if (tovrand::InterruptsReceived() >= received) return;
    Sleep(1);
  }
  std::fprintf(stderr, "tovrand_at_step: the interrupt did not arrive\n");
  ExitProcess(125);
}

void Raise(DWORD event) {
  const int before = tovrand::InterruptsReceived();
  AwaitInterrupts(before + 1, Send(event));
}

// "start": the interrupt sent while the loader starts the process. The
// thread that takes it runs once the loader is done; main waits for it.
bool g_sent_at_start = false;

extern "C" {
static void NTAPI RaiseAtStart(PVOID, DWORD reason, PVOID) {
  if (reason != DLL_PROCESS_ATTACH) return;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return;
  if (argc >= 3 && std::wcscmp(argv[1], L"start") == 0) {
    const DWORD events[] = {CTRL_C_EVENT, CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT};
    const wchar_t* const names[] = {L"int", L"break", L"close"};
    for (int i = 0; i < 3; ++i)
      if (std::wcscmp(argv[2], names[i]) == 0) g_sent_at_start = Send(events[i]);
  }
  LocalFree(argv);
}
// After tovrand's own (.CRT$XLB), which takes over the interrupts.
__attribute__((section(".CRT$XLC"), used))
const PIMAGE_TLS_CALLBACK tovrand_at_step_raise_at_start = RaiseAtStart;
}

void RaiseAtStart() { AwaitInterrupts(1, g_sent_at_start); }
#else
const struct {
  const char* name;
  int event;
} kInterrupts[] = {{"int", SIGINT}, {"term", SIGTERM}, {"hup", SIGHUP}};

void Raise(int event) { raise(event); }

// "start": before main has taken over the interrupts.
void RaiseAtStart(int event) { raise(event); }
#endif

int g_step = -1;
int g_interrupt = -1;  // index in kInterrupts, or -1 to pause or exit
bool g_exit = false;

void ExitSilently() {
#ifdef _WIN32
  ExitProcess(0);
#else
  _exit(0);
#endif
}

// Makes the file `name` in the current folder, then waits until standard
// input ends.
void Pause(const char* name) {
  std::FILE* marker = std::fopen(name, "wb");
  if (marker == nullptr || std::fclose(marker) != 0) return;
  while (std::fgetc(stdin) != EOF) {
  }
}

void OnStep(TempFileStep step) {
  if (static_cast<int>(step) != g_step) return;
  g_step = -1;  // once
  if (g_interrupt >= 0) return Raise(kInterrupts[g_interrupt].event);
  if (g_exit) ExitSilently();
  Pause("paused");
}

int Hold(const char* path) {
#ifdef _WIN32
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  Pause("holding");
  CloseHandle(file);
#else
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 1;
  Pause("holding");
  std::fclose(file);
#endif
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
  // STEP and ACTION from the environment, or the first two arguments.
  static char from_env[64] = "";
  char* step_action[2] = {argc >= 3 ? argv[1] : nullptr,
                          argc >= 3 ? argv[2] : nullptr};
  int taken = 2;
  if (const char* env = std::getenv("TOVRAND_AT_STEP")) {
    std::snprintf(from_env, sizeof from_env, "%s", env);
    char* space = std::strchr(from_env, ' ');
    if (space != nullptr) *space = '\0';
    step_action[0] = from_env;
    step_action[1] = space != nullptr ? space + 1 : nullptr;
    taken = 0;
  }
  for (int i = 0; step_action[1] != nullptr && i < 7; ++i)
    if (std::strcmp(step_action[0], kSteps[i]) == 0) g_step = i;
  if (step_action[1] != nullptr && std::strcmp(step_action[0], "start") == 0)
    g_step = kStart;
  for (int i = 0; step_action[1] != nullptr && i < 3; ++i)
    if (std::strcmp(step_action[1], kInterrupts[i].name) == 0) g_interrupt = i;
  g_exit = step_action[1] != nullptr && std::strcmp(step_action[1], "exit") == 0;
  if (g_step < 0 || (g_interrupt < 0 && !g_exit &&
                     std::strcmp(step_action[1], "pause") != 0)) {
    std::fprintf(stderr,
                 "usage: tovrand_at_step STEP ACTION tovrand-arguments...\n"
                 "       tovrand_at_step hold FILE\n");
    return 2;
  }
  if (g_step == kStart && g_exit) ExitSilently();
  if (g_step == kStart) {
    if (g_interrupt < 0) {
      std::fprintf(stderr, "tovrand_at_step: start takes an interrupt\n");
      return 2;
    }
#ifdef _WIN32
    RaiseAtStart();
#else
    RaiseAtStart(kInterrupts[g_interrupt].event);
#endif
  }
  tovrand::SetTempFileStepHook(OnStep);
  argv[taken] = argv[0];
  return tovrand::RunOnConsole(tovrand::Run, argc - taken, argv + taken);
}
