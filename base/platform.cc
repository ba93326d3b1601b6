#include "base/platform.h"

#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mman.h>
#endif
#endif

namespace tovrand {

namespace {

bool (*g_file_buffer_hook)(size_t, bool) = nullptr;

bool MayHave(size_t size, bool growing) {
  return g_file_buffer_hook == nullptr || g_file_buffer_hook(size, growing);
}

}  // namespace

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + kPathSeparator + name;
}

void SetFileBufferHook(bool (*may_have)(size_t size, bool growing)) {
  g_file_buffer_hook = may_have;
}

void* GrowFileBuffer(void* data, size_t size) {
  return MayHave(size, true) ? std::realloc(data, size) : nullptr;
}

#ifdef _WIN32

const char kPathSeparator = '\\';

namespace {

std::wstring WideFrom(UINT code_page, std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length =
      MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), length);
  return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
  return WideFrom(CP_UTF8, text);
}

std::string Utf8FromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr,
                                         0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

std::string Utf8FromAnsi(std::string_view text) {
  return Utf8FromWide(WideFrom(CP_ACP, text));
}

bool FolderForCommandPrompt(const std::string& path, std::string* out) {
  const std::wstring wide = WideFromUtf8(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return false;
  // Any code page reads ASCII as it is.
  const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
  std::wstring short_name(size, L'\0');
  const DWORD got =
      size == 0 ? 0 : GetShortPathNameW(wide.c_str(), &short_name[0], size);
  if (got > 0 && got < size) {
    short_name.resize(got);
    bool ascii = true;
    for (const wchar_t c : short_name) ascii = ascii && c < 0x80;
    if (ascii) {
      *out = Utf8FromWide(short_name);
      return true;
    }
  }
  // cmd reads a file in the console's code page, the OEM one without one.
  UINT code_page = GetConsoleOutputCP();
  if (code_page == 0) code_page = GetOEMCP();
  const int length = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS,
                                        wide.data(), length, nullptr, 0,
                                        nullptr, &lossy);
  if (bytes <= 0 || lossy) return false;
  out->assign(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide.data(), length,
                      &(*out)[0], bytes, nullptr, nullptr);
  return true;
}

namespace {

FileStamp StampFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  const FILETIME& time = info.ftLastWriteTime;
  FileStamp stamp;
  stamp.size = static_cast<int64_t>(uint64_t{info.nFileSizeHigh} << 32 |
                                    info.nFileSizeLow);
  stamp.modified = static_cast<int64_t>(uint64_t{time.dwHighDateTime} << 32 |
                                        time.dwLowDateTime);
  return stamp;
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path, FileStamp* stamp) {
  // Shared for writing and deletion as well as reading, so that another
  // program can still write, rename or replace the file while it is read.
  // No security attributes: the handle is not inherited.
  HANDLE handle =
      CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK ||
      GetFileInformationByHandle(handle, &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(handle);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                 _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (file == nullptr) {
    _close(fd);  // closes the handle too
    return nullptr;
  }
  *stamp = StampFrom(info);
  return file;
}

bool StampOf(std::FILE* file, FileStamp* stamp) {
  const intptr_t handle = _get_osfhandle(_fileno(file));
  BY_HANDLE_FILE_INFORMATION info;
  if (handle == -1 ||
      GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &info) == 0)
    return false;
  *stamp = StampFrom(info);
  return true;
}

namespace {

bool FileInformationOf(const std::string& path,
                       BY_HANDLE_FILE_INFORMATION* info) {
  // Opened for no access at all, only to ask what it is; a directory needs
  // the backup-semantics flag to be opened.
  HANDLE handle =
      CreateFileW(WideFromUtf8(path).c_str(), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(handle, info) != 0;
  CloseHandle(handle);
  return ok;
}

}  // namespace

bool WriteAll(intptr_t handle, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    // WriteFile takes a 32-bit count.
    const DWORD chunk =
        size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD put = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(handle), at, chunk, &put,
                   nullptr) ||
        put == 0)
      return false;
    at += put;
    size -= put;
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return FileInformationOf(a, &ia) && FileInformationOf(b, &ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

PathKind KindOf(const std::string& path) {
  // GetFileAttributesW describes a link itself; a handle opened through
  // it describes what it leads to.
  const HANDLE handle = CreateFileW(
      WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // A file held open without sharing still exists.
    return GetLastError() == ERROR_SHARING_VIOLATION ? PathKind::kFile
                                                     : PathKind::kNothing;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  if (!known || type != FILE_TYPE_DISK) return PathKind::kOther;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
             ? PathKind::kFolder
             : PathKind::kFile;
}

bool MakeFolder(const std::string& path) {
  return CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) != 0;
}

bool HeldAgainstReplacing(const std::string& path) {
  // A rename over the file needs it opened for deletion; a program that
  // holds it without sharing that refuses this open as it refuses the
  // rename.
  const HANDLE handle = CreateFileW(
      WideFromUtf8(path).c_str(), DELETE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(handle);
  return false;
}

// Large pages need a privilege on Windows that a modder's account lacks.
void* AllocateFileBuffer(size_t size) {
  return MayHave(size, false) ? std::malloc(size) : nullptr;
}

long ProcessId() { return _getpid(); }

#else

const char kPathSeparator = '/';

namespace {

FileStamp StampFrom(const struct stat& st) {
  FileStamp stamp;
  stamp.size = static_cast<int64_t>(st.st_size);
  stamp.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                   static_cast<int64_t>(st.st_mtim.tv_nsec);
  return stamp;
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path, FileStamp* stamp) {
  // Not blocking, so that opening a pipe does not wait for its writer.
  const int fd =
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  std::FILE* file = nullptr;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
    *stamp = StampFrom(st);
    file = fdopen(fd, "rb");
  }
  if (file == nullptr) close(fd);
  return file;
}

bool StampOf(std::FILE* file, FileStamp* stamp) {
  struct stat st;
  if (fstat(fileno(file), &st) != 0) return false;
  *stamp = StampFrom(st);
  return true;
}

bool WriteAll(intptr_t handle, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = write(static_cast<int>(handle), at, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    at += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

PathKind KindOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return PathKind::kNothing;
  if (S_ISREG(st.st_mode)) return PathKind::kFile;
  return S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kOther;
}

bool MakeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0;
}

bool HeldAgainstReplacing(const std::string&) { return false; }

bool FolderForCommandPrompt(const std::string& path, std::string* out) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return false;
  *out = path;
  return true;
}

void* AllocateFileBuffer(size_t size) {
  if (!MayHave(size, false)) return nullptr;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr size_t kLargePage = size_t{2} << 20;
  constexpr size_t kWorthIt = 2 * kLargePage;
  if (size >= kWorthIt && size <= SIZE_MAX - kLargePage) {
    const size_t rounded = (size + kLargePage - 1) & ~(kLargePage - 1);
    void* data = std::aligned_alloc(kLargePage, rounded);
    if (data != nullptr) {
      madvise(data, rounded, MADV_HUGEPAGE);  // a hint; failure is harmless
      return data;
    }
  }
#endif
  return std::malloc(size);
}

long ProcessId() { return static_cast<long>(getpid()); }

#endif

}  // namespace tovrand
