// The temporary file on Windows: an exclusive create, a byte-range lock, a
// delete disposition while it is written, FlushFileBuffers before the
// rename, a rename that waits out other programs' brief opens of the target;
// and the console control handler that removes the file when the run is
// interrupted. Paths are UTF-8, opened by their wide names.

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "replace/interrupt.h"
#include "replace/temp_file.h"
#include "base/platform.h"
#include "replace/temp_file_platform.h"

namespace tovrand {

namespace {

// The console handler runs on a thread of its own, so the main thread and
// the handler agree through one state which of them disposes of the file
// and of the process. While the file is being created or renamed the
// handler waits for that step, so that it never misses a file that exists
// nor removes one that has replaced its target. The main thread moves the
// state only from the value it expects; where the handler has already
// taken over (kInterrupted), it waits for the process to end.
enum : LONG {
  kNoFile,       // no temporary file: an interrupt ends the process
  kBusy,         // being created, renamed or removed: the handler waits
  kWriting,      // exists: an interrupt removes it and ends the process
  kReplaced,     // has replaced its target: the run ends by itself
  kInterrupted,  // the handler is ending the process
};
volatile LONG g_state = kNoFile;
HANDLE g_handle = INVALID_HANDLE_VALUE;
volatile LONG g_received = 0;
// Set by the handler before it first reads the state: from then on, when
// the main thread ends a step in a state the handler acts on, it leaves the
// file and the process to the handler, rather than go on past a handler
// that is still waiting for that step.
volatile LONG g_interrupted = 0;

// Marks the open file to be deleted when its last handle closes, or (with
// `remove` false) takes the mark back. The system closes a process's
// handles however it ends, so a marked file goes with a process that is
// killed: by the Task Manager, by TerminateProcess, or under Wine by any
// signal, which the program never sees.
bool DeleteOnClose(HANDLE handle, bool remove = true) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
}

// Ctrl-C, Ctrl-Break or the console closing. The handler ends the process
// itself, with the status Ctrl-C gives, rather than leave it to the default
// handling, which under Wine ends it with status 0. It never returns while
// it may still act, and is never removed: under Wine, removing a handler
// waits for every running one to return.
BOOL WINAPI OnControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT &&
      type != CTRL_CLOSE_EVENT)
    return FALSE;
  InterlockedIncrement(&g_received);
  InterlockedExchange(&g_interrupted, 1);
  for (;;) {
    const LONG state = InterlockedCompareExchange(&g_state, kNoFile, kNoFile);
    if (state == kNoFile || state == kWriting) {
      if (InterlockedCompareExchange(&g_state, kInterrupted, state) != state)
        continue;
      if (state == kWriting) {
        // Closed here, so that the file is gone before the process is,
        // also where the system deletes it only once it sees the process
        // end (Wine's server).
        DeleteOnClose(g_handle);
        CloseHandle(g_handle);
      }
      TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    }
    if (state == kReplaced || state == kInterrupted) Sleep(INFINITE);
    Sleep(1);  // busy: wait for that step to finish
  }
}

// The main thread's move of the state from `from` to `to`. Where the
// handler has taken over, or waits to act on `to`, this thread waits for
// the process to end.
void Move(LONG from, LONG to) {
  if (InterlockedCompareExchange(&g_state, to, from) != from ||
      ((to == kNoFile || to == kWriting) &&
       InterlockedCompareExchange(&g_interrupted, 0, 0) != 0)) {
    for (;;) Sleep(INFINITE);
  }
}

// Locks the first byte, which every run's lock covers, without waiting.
Lock TryLock(HANDLE handle) {
  OVERLAPPED at = {};
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                 1, 0, &at))
    return Lock::kTaken;
  return GetLastError() == ERROR_LOCK_VIOLATION ? Lock::kHeldByOther
                                                : Lock::kUnsupported;
}

bool DeletePending(HANDLE handle) {
  FILE_STANDARD_INFO info = {};
  return GetFileInformationByHandleEx(handle, FileStandardInfo, &info,
                                      sizeof info) &&
         info.DeletePending;
}

// The attributes a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

namespace {

// The path the system gives the open `handle`, with every link and junction
// on the way resolved: Wine, which shows a link of the host's as the file
// it leads to, tells it here. False when the system cannot say.
bool FinalPath(HANDLE handle, std::wstring* path) {
  const DWORD size = GetFinalPathNameByHandleW(handle, nullptr, 0, 0);
  if (size == 0) return false;
  path->assign(size, L'\0');
  const DWORD got = GetFinalPathNameByHandleW(handle, &(*path)[0], size, 0);
  if (got == 0 || got >= size) return false;
  path->resize(got);
  return true;
}

// Whether the open file `handle` is the entry `name` itself of `folder`:
// its final path is the folder's own followed by that name. A link in the
// folder under that name gives its target's path, and fails.
bool IsEntryOf(HANDLE handle, const std::string& folder,
               const std::string& name) {
  HANDLE dir = CreateFileW(
      WideFromUtf8(folder).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return false;
  std::wstring expected;
  const bool named = FinalPath(dir, &expected);
  CloseHandle(dir);
  std::wstring actual;
  if (!named || !FinalPath(handle, &actual)) return false;
  if (expected.empty() || expected.back() != L'\\') expected += L'\\';
  return actual == expected + WideFromUtf8(name);
}

}  // namespace

void RemoveIfUnheld(const std::string& path) {
  HANDLE handle = CreateFileW(
      WideFromUtf8(path).c_str(), GENERIC_READ | DELETE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  // What a run makes: a plain file with this one name. Windows shows its
  // own links and junctions as reparse points; Wine shows a link of the
  // host's as its target, which its final path then names.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
      info.nNumberOfLinks == 1 &&
      IsEntryOf(handle, FolderOf(path), NameOf(path)) &&
      TryLock(handle) == Lock::kTaken) {
    DeleteOnClose(handle);
    OVERLAPPED at = {};
    UnlockFileEx(handle, 0, 1, 0, &at);
  }
  CloseHandle(handle);
}

bool InspectTarget(const std::string& target, ReplacedFile* out) {
  *out = ReplacedFile();
  const std::wstring wide = WideFromUtf8(target);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  out->exists = true;
  out->permissions = attributes;
  if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
    return false;
  // Opening for writing changes nothing and answers whether this user may
  // write the file, whatever its access rules say.
  HANDLE handle =
      CreateFileW(wide.c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return true;
  }
  // Sharing is checked after access: another program's open handle says
  // nothing of this user's rights, and the rename waits for it.
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WideFromUtf8(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(Utf8FromWide(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

void HandleInterrupts() {
  static bool installed = false;
  if (!installed) installed = SetConsoleCtrlHandler(OnControl, TRUE) != 0;
}

int InterruptsReceived() {
  return static_cast<int>(InterlockedCompareExchange(&g_received, 0, 0));
}

bool TempFile::Create(const std::string& target) {
  Discard();
  target_ = target;
  // A new replacement: interrupts end the run again.
  InterlockedCompareExchange(&g_state, kNoFile, kReplaced);
  AtStep(TempFileStep::kCreate);
  for (;;) {
    Move(kNoFile, kBusy);
    std::string name = NextTempName(target);
    // Shared for deletion, so that the file can be renamed while it is
    // open and the lock is held.
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(),
                                GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      Move(kBusy, kNoFile);
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        continue;  // taken: another name
      return false;
    }
    AtStep(TempFileStep::kLock);
    // Between the create and the lock another run may have taken the file
    // for a leftover and marked it for deletion; then it is left to that
    // run.
    if (TryLock(handle) != Lock::kHeldByOther && !DeletePending(handle)) {
      // Until the rename the file is marked for deletion, so that a run
      // that is killed leaves nothing. Where the mark cannot be set the
      // next run removes the file, as it removes any leftover.
      DeleteOnClose(handle);
      path_ = std::move(name);
      handle_ = reinterpret_cast<intptr_t>(handle);
      g_handle = handle;
      Move(kBusy, kWriting);
      return true;
    }
    CloseHandle(handle);
    Move(kBusy, kNoFile);
  }
}

bool TempFile::Write(const unsigned char* data, size_t size) {
  if (handle_ == -1) return false;
  AtStep(TempFileStep::kWrite);
  return WriteAll(handle_, data, size);
}

namespace {

// Whether a rename failed only because another program has the target
// open: a reader, a virus scanner, an indexer, another run checking it.
bool TargetBusy(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_LOCK_VIOLATION;
}

// FILE_RENAME_INFO as Windows 10 1709 and later take it for
// FileRenameInfoEx, with flags in place of ReplaceIfExists; older headers
// lack both.
constexpr int kFileRenameInfoEx = 22;
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
struct RenameInfoEx {
  DWORD flags;
  HANDLE root_directory;
  DWORD name_bytes;
  WCHAR name[1];
};

// Renames the open file `handle` over `target`, replacing it even while
// other programs have it open with delete sharing. False, with the error
// set, where Windows does not offer that (before Windows 10 1709, some file
// systems, Wine) or the target is held without delete sharing.
bool RenameReplacingOpenTarget(HANDLE handle, const std::string& target) {
  // The call takes the target's full path in the system's own form:
  // \??\C:\... or \??\UNC\server\share\...
  const std::wstring wide = WideFromUtf8(target);
  const DWORD full_size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (full_size == 0) return false;
  std::wstring full(full_size, L'\0');
  const DWORD got =
      GetFullPathNameW(wide.c_str(), full_size, &full[0], nullptr);
  if (got == 0 || got >= full_size) return false;
  full.resize(got);
  if (full.compare(0, 4, L"\\\\?\\") == 0)
    full.erase(0, 4);
  else if (full.compare(0, 2, L"\\\\") == 0)
    full.replace(0, 2, L"UNC\\");
  const std::wstring name = L"\\??\\" + full;
  const size_t name_bytes = name.size() * sizeof(WCHAR);
  std::vector<unsigned char> buffer(offsetof(RenameInfoEx, name) + name_bytes +
                                    sizeof(WCHAR));
  auto* info = reinterpret_cast<RenameInfoEx*>(buffer.data());
  info->flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  info->root_directory = nullptr;
  info->name_bytes = static_cast<DWORD>(name_bytes);
  std::memcpy(info->name, name.c_str(), name_bytes + sizeof(WCHAR));
  return SetFileInformationByHandle(
             handle, static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileRenameInfoEx),
             info, static_cast<DWORD>(buffer.size())) != 0;
}

// How long a rename goes on trying while other programs have the target
// open, in milliseconds: they read it (tovdiff, an editor) or check it
// (a virus scanner, an indexer, another run) for moments at a time.
constexpr DWORD kBusyTargetWait = 2000;

// Renames the file at `path`, open as `handle`, over `target`. Where another
// program has the target open, tries again until kBusyTargetWait has
// passed; between tries an interrupt may take the file.
bool ReplaceTarget(HANDLE handle, const std::string& path,
                   const std::string& target) {
  DWORD waited = 0;
  for (DWORD pause = 1;; pause = pause < 128 ? pause * 2 : pause) {
    Move(kWriting, kBusy);
    AtStep(TempFileStep::kRename);
    // A file marked for deletion would go once it has replaced the target.
    const bool unmarked = DeleteOnClose(handle, false);
    bool ok = unmarked && RenameReplacingOpenTarget(handle, target);
    DWORD error = ok ? 0 : GetLastError();
    if (unmarked && !ok && !TargetBusy(error)) {
      // Not offered here: the plain rename.
      ok = MoveFileExW(WideFromUtf8(path).c_str(),
                       WideFromUtf8(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      error = ok ? 0 : GetLastError();
    }
    if (ok) {
      Move(kBusy, kReplaced);
      return true;
    }
    DeleteOnClose(handle);
    Move(kBusy, kWriting);
    if (!TargetBusy(error) || waited >= kBusyTargetWait) return false;
    AtStep(TempFileStep::kRenameRefused);
    Sleep(pause);
    waited += pause;
  }
}

}  // namespace

bool TempFile::Commit(const ReplacedFile& replaced) {
  if (handle_ == -1) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  bool ok = true;
  if (replaced.exists) {
    FILE_BASIC_INFO basic = {};  // times of zero are left as they are
    basic.FileAttributes = replaced.permissions & kKeptAttributes;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    ok = SetFileInformationByHandle(handle, FileBasicInfo, &basic,
                                    sizeof basic) != 0;
  }
  AtStep(TempFileStep::kSync);
  ok = ok && FlushFileBuffers(handle) != 0;
  ok = ok && ReplaceTarget(handle, path_, target_);
  if (!ok) {
    Discard();
    return false;
  }
  AtStep(TempFileStep::kRenamed);
  CloseHandle(handle);  // after the rename: the lock is held until then
  handle_ = -1;
  path_.clear();
  return true;
}

void TempFile::Discard() {
  if (handle_ == -1) return;
  HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  Move(kWriting, kBusy);
  const bool marked = DeleteOnClose(handle);
  CloseHandle(handle);
  if (!marked) DeleteFileW(WideFromUtf8(path_).c_str());
  Move(kBusy, kNoFile);
  handle_ = -1;
  path_.clear();
}

}  // namespace tovrand
