// tovrand-window: tovrand in a window, for modders who never open a
// command prompt. See release/README.txt.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/platform.h"
#include "window/view_win32.h"

// The wide entry point of a program of the windows subsystem (linked with
// -mwindows -municode): the arguments as Windows gives them, in UTF-8 for
// the window.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 0; wide != nullptr && i < argc; ++i)
    args.push_back(tovrand::Utf8FromWide(wide[i]));
  if (wide != nullptr) LocalFree(wide);
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  try {
    return tovrand::RunWindow(static_cast<int>(argv.size()), argv.data());
  } catch (...) {
    MessageBoxW(nullptr, L"tovrand-window stopped on an error it did not expect.",
                L"tovrand", MB_ICONERROR | MB_OK);
    return 1;
  }
}
