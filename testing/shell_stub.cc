// What Windows' shell does for a modder, done for a test of the window
// under Wine, which cannot drag a file from a folder window:
//   shell_stub drop PATH   drops PATH on the window named tovrand, as the
//                          shell does (WM_DROPFILES, with the drop's
//                          memory in the window's process)
//   shell_stub copy TEXT   puts TEXT on the clipboard, as a modder's copy
//                          from Explorer's address bar does
//   shell_stub clipboard   writes the clipboard's text, in UTF-8, to
//                          standard output
// Exit status 0 when done, 1 otherwise (said on standard error).

#include <windows.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/platform.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "shell_stub: %s (error %lu)\n", what, GetLastError());
  return 1;
}

BOOL CALLBACK IsTovrand(HWND window, LPARAM found) {
  wchar_t title[16] = {};
  GetWindowTextW(window, title, 16);
  if (std::wstring(title) != L"tovrand") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

BOOL CALLBACK OnDesktop(LPWSTR name, LPARAM found) {
  HDESK desktop = OpenDesktopW(name, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
  if (desktop == nullptr) return TRUE;
  EnumDesktopWindows(desktop, IsTovrand, found);
  CloseDesktop(desktop);
  return *reinterpret_cast<HWND*>(found) == nullptr;
}

// The window named tovrand, on whichever desktop it is: under Wine, the
// window's test shows it on a desktop of its own.
HWND FindTovrand() {
  HWND found = FindWindowW(nullptr, L"tovrand");
  if (found == nullptr)
    EnumDesktopsW(GetProcessWindowStation(), OnDesktop, reinterpret_cast<LPARAM>(&found));
  return found;
}

int Drop(const std::wstring& path) {
  HWND window = FindTovrand();
  if (window == nullptr) return Fail("no window named tovrand");
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process_id);
  if (process == nullptr) return Fail("the window's process could not be opened");
  // DROPFILES, then the path and the empty one that ends the list.
  std::vector<char> drop(sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t));
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  memcpy(drop.data(), &header, sizeof header);
  memcpy(drop.data() + sizeof header, path.c_str(), path.size() * sizeof(wchar_t));
  void* remote = VirtualAllocEx(process, nullptr, drop.size(),
                                MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr ||
      !WriteProcessMemory(process, remote, drop.data(), drop.size(), nullptr))
    return Fail("the drop could not be put in the window's process");
  CloseHandle(process);
  if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0))
    return Fail("the drop could not be posted");
  return 0;
}

int Copy(const std::wstring& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  void* to = memory != nullptr ? GlobalLock(memory) : nullptr;
  if (to == nullptr) return Fail("no memory for the text");
  memcpy(to, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory);
  // The clipboard takes text only from a window.
  HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, nullptr, nullptr);
  if (!OpenClipboard(owner)) return Fail("the clipboard could not be opened");
  const bool placed = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  return placed ? 0 : Fail("the text could not be put on the clipboard");
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return Fail("the clipboard could not be opened");
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data))
                                     : nullptr;
  if (text == nullptr) {
    CloseClipboard();
    return Fail("the clipboard holds no text");
  }
  const std::string utf8 = tovrand::Utf8FromWide(text);
  GlobalUnlock(data);
  CloseClipboard();
  _setmode(_fileno(stdout), _O_BINARY);  // the text's line ends as they are
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"drop" && argc == 3) return Drop(argv[2]);
  if (command == L"copy" && argc == 3) return Copy(argv[2]);
  if (command == L"clipboard" && argc == 2) return Clipboard();
  std::fprintf(stderr, "usage: shell_stub drop PATH | copy TEXT | clipboard\n");
  return 1;
}
