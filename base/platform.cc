#include "base/platform.h"

#include <cstdlib>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
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

#ifdef _WIN32

const char kPathSeparator = '\\';

std::FILE* OpenRegularFile(const std::string& path, int64_t* size) {
  const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return nullptr;
  struct _stati64 st;
  std::FILE* file = nullptr;
  if (_fstati64(fd, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG) {
    *size = st.st_size;
    file = _fdopen(fd, "rb");
  }
  if (file == nullptr) _close(fd);
  return file;
}

namespace {

bool FileInformationOf(const std::string& path,
                       BY_HANDLE_FILE_INFORMATION* info) {
  // Opened for no access at all, only to ask what it is; a directory needs
  // the backup-semantics flag to be opened.
  HANDLE handle = CreateFileA(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(handle, info) != 0;
  CloseHandle(handle);
  return ok;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return FileInformationOf(a, &ia) && FileInformationOf(b, &ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

// Large pages need a privilege on Windows that a modder's account lacks.
void* AllocateFileBuffer(size_t size) { return std::malloc(size); }

long ProcessId() { return _getpid(); }

#else

const char kPathSeparator = '/';

std::FILE* OpenRegularFile(const std::string& path, int64_t* size) {
  // Not blocking, so that opening a pipe does not wait for its writer.
  const int fd =
      open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  std::FILE* file = nullptr;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
    *size = st.st_size;
    file = fdopen(fd, "rb");
  }
  if (file == nullptr) close(fd);
  return file;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void* AllocateFileBuffer(size_t size) {
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
