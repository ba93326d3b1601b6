// The temporary file on POSIX systems: an exclusive create, a record lock,
// fdatasync before the rename and fsync of the folder after it; and the
// signal handlers that remove it when the run is interrupted.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "replace/interrupt.h"
#include "replace/temp_file.h"
#include "base/platform.h"
#include "replace/temp_file_platform.h"

namespace tovrand {

namespace {

// The signals that end a run early and conventionally allow it to clean
// up: Ctrl-C, a polite kill, a closed terminal.
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// What the interrupt handler acts on; it reads them without a lock.
// The temporary file to remove when the run is interrupted, or null.
std::atomic<const char*> g_temp_path{nullptr};
// Whether the last temporary file has replaced its target: the run has
// done its work, and an interrupt no longer ends it.
std::atomic<bool> g_replaced{false};
std::atomic<int> g_received{0};
static_assert(std::atomic<const char*>::is_always_lock_free &&
                  std::atomic<bool>::is_always_lock_free &&
                  std::atomic<int>::is_always_lock_free,
              "the signal handler reads its state without a lock");

struct sigaction g_previous_xfsz;

// Only async-signal-safe calls: remove the file, then end the process by
// the same signal with its default action, so that the parent sees an
// interrupted run.
extern "C" void OnInterrupt(int signal_number) {
  g_received.fetch_add(1);
  if (g_replaced.load()) return;
  const char* path = g_temp_path.load();
  if (path != nullptr) unlink(path);
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(signal_number, &default_action, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal_number);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(signal_number);
}

// Keeps the interrupt signals from arriving while the file and the state
// the handler reads are changed together; one that comes meanwhile arrives
// when this ends.
class BlockedInterrupts {
 public:
  BlockedInterrupts() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kInterrupts) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, &previous_);
  }
  ~BlockedInterrupts() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

 private:
  sigset_t previous_;
};

// While the file is written, a write past a file size limit fails with
// EFBIG, as on a full disk, instead of SIGXFSZ ending the run.
void IgnoreFileSizeSignal() {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &g_previous_xfsz);
}

void RestoreFileSizeSignal() { sigaction(SIGXFSZ, &g_previous_xfsz, nullptr); }

// Takes a lock of `type` on the whole file without waiting.
Lock TryLock(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  if (fcntl(fd, F_SETLK, &lock) == 0) return Lock::kTaken;
  return errno == EACCES || errno == EAGAIN ? Lock::kHeldByOther
                                            : Lock::kUnsupported;
}

// Whether `path` still names the open file `fd`.
bool StillNamed(int fd, const std::string& path) {
  struct stat open_file, named;
  return fstat(fd, &open_file) == 0 && lstat(path.c_str(), &named) == 0 &&
         open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

}  // namespace

void RemoveIfUnheld(const std::string& path) {
  const int flags = O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
  short type = F_RDLCK;
  int fd = open(path.c_str(), O_RDONLY | flags);
  if (fd < 0 && errno == EACCES) {
    fd = open(path.c_str(), O_WRONLY | flags);
    type = F_WRLCK;
  }
  if (fd < 0) return;
  // A leftover is a file a run made: a regular file with this one name. A
  // link of any kind (O_NOFOLLOW refuses a symbolic one; a hard one has
  // more names than this) is the modder's, and so is what it leads to.
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
      TryLock(fd, type) == Lock::kTaken && StillNamed(fd, path)) {
    unlink(path.c_str());
  }
  close(fd);  // releases the lock
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  return names;
}

void HandleInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int s : kInterrupts) sigaddset(&action.sa_mask, s);
  action.sa_flags = SA_RESTART;
  for (int s : kInterrupts) {
    struct sigaction current;
    if (sigaction(s, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
      sigaction(s, &action, nullptr);
  }
}

int InterruptsReceived() { return g_received.load(); }

namespace {

// `system_call` on `fd`, or the sync a test stands in for it.
int Sync(int fd, int (*system_call)(int)) {
  int (*const seam)(int) = Seams().sync;
  return seam != nullptr ? seam(fd) : system_call(fd);
}

// Makes the file's bytes reach the disk. A file system that cannot sync
// (EINVAL) has nothing more to do.
bool SyncData(int fd) {
  int result;
  do {
#ifdef __linux__
    result = Sync(fd, fdatasync);
#else
    result = Sync(fd, fsync);
#endif
  } while (result != 0 && errno == EINTR);
  return result == 0 || errno == EINVAL;
}

// Makes a rename in `folder` reach the disk. Its result is not checked: the
// rename has been made and cannot be taken back, and some file systems
// cannot sync a folder.
void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  Sync(fd, fsync);
  close(fd);
}

}  // namespace

bool InspectTarget(const std::string& target, ReplacedFile* out) {
  *out = ReplacedFile();
  // Opening for writing changes nothing and answers exactly whether this
  // user may write the file: its permissions, a read-only mount, a
  // directory in its place.
  const int fd =
      open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  struct stat st;
  const bool ok = fstat(fd, &st) == 0;
  close(fd);
  out->exists = true;
  out->permissions = static_cast<uint32_t>(st.st_mode & 07777);
  return ok;
}

bool TempFile::Create(const std::string& target) {
  Discard();
  target_ = target;
  g_replaced.store(false);  // a new replacement: interrupts end the run again
  IgnoreFileSizeSignal();
  AtStep(TempFileStep::kCreate);
  for (;;) {
    std::string name = NextTempName(target);
    int error = 0;
    {
      BlockedInterrupts blocked;
      const int fd =
          open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
      error = errno;
      if (fd >= 0) {
        path_ = std::move(name);
        handle_ = fd;
        g_temp_path.store(path_.c_str());
      }
    }
    if (handle_ < 0) {
      if (error == EEXIST || error == EINTR) continue;  // taken: another name
      RestoreFileSizeSignal();
      return false;
    }
    AtStep(TempFileStep::kLock);
    const int fd = static_cast<int>(handle_);
    // Between the create and the lock another run may have taken the file
    // for a leftover and removed it; then it is left to that run.
    if (TryLock(fd, F_WRLCK) != Lock::kHeldByOther && StillNamed(fd, path_))
      return true;
    {
      BlockedInterrupts blocked;
      g_temp_path.store(nullptr);
    }
    close(fd);
    handle_ = -1;
    path_.clear();
  }
}

bool TempFile::Write(const unsigned char* data, size_t size) {
  if (handle_ < 0) return false;
  AtStep(TempFileStep::kWrite);
  return WriteAll(handle_, data, size);
}

bool TempFile::Commit(const ReplacedFile& replaced) {
  if (handle_ < 0) return false;
  const int fd = static_cast<int>(handle_);
  bool ok = true;
  if (replaced.exists) {
    struct stat st;
    ok = fstat(fd, &st) == 0;
    if (ok && (st.st_mode & 07777) != replaced.permissions)
      ok = fchmod(fd, static_cast<mode_t>(replaced.permissions)) == 0;
  }
  AtStep(TempFileStep::kSync);
  ok = ok && SyncData(fd);
  if (ok) {
    // An interrupt that comes during the rename is held until it is done:
    // then the file has replaced the target and the run has succeeded, or
    // the rename failed and the file is still there to remove.
    BlockedInterrupts blocked;
    AtStep(TempFileStep::kRename);
    ok = std::rename(path_.c_str(), target_.c_str()) == 0;
    if (ok) {
      g_temp_path.store(nullptr);
      g_replaced.store(true);
    }
  }
  if (!ok) {
    Discard();
    return false;
  }
  AtStep(TempFileStep::kRenamed);
  SyncFolder(FolderOf(target_));
  close(fd);  // after the rename: the lock is held until the file is in place
  handle_ = -1;
  path_.clear();
  RestoreFileSizeSignal();
  return true;
}

void TempFile::Discard() {
  if (handle_ < 0) return;
  {
    BlockedInterrupts blocked;
    unlink(path_.c_str());
    g_temp_path.store(nullptr);
  }
  close(static_cast<int>(handle_));
  handle_ = -1;
  path_.clear();
  RestoreFileSizeSignal();
}

}  // namespace tovrand
