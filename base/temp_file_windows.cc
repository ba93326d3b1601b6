// The temporary file on Windows: an exclusive create, a byte-range lock,
// FlushFileBuffers before the rename, and a console control handler that
// removes the file when the run is interrupted.

#include <windows.h>

#include <vector>

#include "base/temp_file.h"
#include "base/temp_file_platform.h"

namespace tovrand {

namespace {

// The console handler runs on a thread of its own, so the main thread and
// the handler agree through one state which of them disposes of the file.
// While the file is being created or renamed the handler waits, so that it
// never misses a file that exists nor removes one that has been renamed.
enum : LONG { kIdle, kCreating, kWriting, kCommitting, kInterrupted };
volatile LONG g_state = kIdle;
HANDLE g_handle = INVALID_HANDLE_VALUE;

// Marks the open file to be deleted when its last handle closes.
bool DeleteOnClose(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
}

// Ctrl-C, Ctrl-Break or the console closing while the file is written: the
// file is removed, and the process ends as one ended by Ctrl-C does. With
// no file (none yet, or renamed into place) the default handling ends the
// process.
BOOL WINAPI OnControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT &&
      type != CTRL_CLOSE_EVENT)
    return FALSE;
  for (;;) {
    const LONG state =
        InterlockedCompareExchange(&g_state, kInterrupted, kWriting);
    if (state == kWriting) {
      DeleteOnClose(g_handle);
      TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    }
    if (state != kCreating && state != kCommitting) return FALSE;
    Sleep(1);
  }
}

// Takes the file back from the console handler for `next`; when the
// handler already has it, waits for the process to end.
void TakeBack(LONG next) {
  if (InterlockedCompareExchange(&g_state, next, kWriting) == kInterrupted) {
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

void RemoveIfUnheld(const std::string& path) {
  HANDLE handle = CreateFileA(
      path.c_str(), GENERIC_READ | DELETE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
      TryLock(handle) == Lock::kTaken) {
    DeleteOnClose(handle);
    OVERLAPPED at = {};
    UnlockFileEx(handle, 0, 1, 0, &at);
  }
  CloseHandle(handle);
}

bool InspectTarget(const std::string& target, ReplacedFile* out) {
  *out = ReplacedFile();
  const DWORD attributes = GetFileAttributesA(target.c_str());
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
      CreateFileA(target.c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool TempFile::Create(const std::string& target) {
  Discard();
  target_ = target;
  SetConsoleCtrlHandler(OnControl, TRUE);
  for (;;) {
    std::string name = NextTempName(target);
    // Shared for deletion, so that the file can be renamed while it is
    // open and the lock is held.
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        continue;  // taken: another name
      SetConsoleCtrlHandler(OnControl, FALSE);
      return false;
    }
    // Between the create and the lock another run may have taken the file
    // for a leftover and marked it for deletion; then it is left to that
    // run.
    if (TryLock(handle) != Lock::kHeldByOther && !DeletePending(handle)) {
      path_ = std::move(name);
      handle_ = reinterpret_cast<intptr_t>(handle);
      g_handle = handle;
      InterlockedExchange(&g_state, kWriting);
      return true;
    }
    CloseHandle(handle);
  }
}

bool TempFile::Write(const unsigned char* data, size_t size) {
  if (handle_ == -1) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  while (size > 0) {
    const DWORD chunk =
        size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(handle, data, chunk, &put, nullptr) || put == 0)
      return false;
    data += put;
    size -= put;
  }
  return true;
}

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
  ok = ok && FlushFileBuffers(handle) != 0;
  if (ok) {
    TakeBack(kCommitting);
    ok = MoveFileExA(path_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    InterlockedExchange(&g_state, ok ? kIdle : kWriting);
  }
  if (!ok) {
    Discard();
    return false;
  }
  CloseHandle(handle);  // after the rename: the lock is held until then
  handle_ = -1;
  path_.clear();
  SetConsoleCtrlHandler(OnControl, FALSE);
  return true;
}

void TempFile::Discard() {
  if (handle_ == -1) return;
  HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  TakeBack(kIdle);
  const bool marked = DeleteOnClose(handle);
  CloseHandle(handle);
  if (!marked) DeleteFileA(path_.c_str());
  handle_ = -1;
  path_.clear();
  SetConsoleCtrlHandler(OnControl, FALSE);
}

}  // namespace tovrand
