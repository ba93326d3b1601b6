#ifndef TOVRAND_REPLACE_TEMP_FILE_H_
#define TOVRAND_REPLACE_TEMP_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovrand {

// How a file is replaced without ever being half written: the new bytes go
// to a temporary file beside it, which reaches the disk and is then renamed
// over it in one step.
//
// A temporary file is named "<target>.<16 hex digits>.tmp", from the clock,
// the process id and a counter, and created only where no file is; a name
// that is taken is never reused, another is tried. While a run writes, it
// holds a lock on its temporary file (a POSIX record lock; a byte-range lock
// on Windows), which the system releases when the run ends however it ends.
// A later run removes the temporary files beside its target that it can
// lock: those of runs that are no longer running, whatever their process id
// was, in whatever container or Wine prefix they ran. It removes only what
// is provably such a file, a regular file of that name with no other name
// and reached through no link; a link of that name, and what it leads to,
// are left as they are. On Windows the system removes the file itself when
// the process ends, however it ends, until the file is renamed.
//
// An interrupt removes the temporary file before the process ends as an
// interrupted one, and waits while it is created or renamed; once it has
// replaced its target, the run has succeeded (replace/interrupt.h). A file size
// limit is a failed write, like a full disk.

// What a replacement keeps of the file it replaces.
struct ReplacedFile {
  bool exists = false;
  // POSIX: the mode's permission bits. Windows: the attributes.
  uint32_t permissions = 0;
};

// Looks at the file `target` before it is replaced. False when it exists but
// this user could not open it for writing (no write permission, the
// read-only attribute), so that replacing it would override that.
[[nodiscard]] bool InspectTarget(const std::string& target, ReplacedFile* out);

// Removes the temporary files that earlier runs left beside `target`,
// skipping any that a running process still holds.
void RemoveLeftovers(const std::string& target);

// Whether `name` (no directory) is a temporary file name of `target_name`
// as runs make them: "<target_name>.<16 hex digits>.tmp" in lowercase
// (NextTempName). No other name matches, so that a modder's
// "<target_name>.bad.tmp", "<target_name>.1.tmp" or "<target_name>.12.09.tmp"
// is never taken for a leftover.
bool IsTempNameOf(const std::string& name, const std::string& target_name);

// A new temporary file beside a target, locked while it is open. Removed
// when it is discarded, when the object goes without a Commit, or when the
// process is interrupted. One at a time per process.
class TempFile {
 public:
  TempFile() = default;
  ~TempFile() { Discard(); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // Creates the file beside `target`.
  [[nodiscard]] bool Create(const std::string& target);
  // Appends `size` bytes.
  [[nodiscard]] bool Write(const unsigned char* data, size_t size);
  // Gives the file `replaced`'s permissions when it exists, makes its bytes
  // reach the disk, renames it over the target and makes the rename reach
  // the disk. On failure the file is removed and the target is as it was.
  [[nodiscard]] bool Commit(const ReplacedFile& replaced);
  // Removes the file, if it is still there.
  void Discard();

  const std::string& path() const { return path_; }

 private:
  std::string target_;
  std::string path_;
  intptr_t handle_ = -1;  // a file descriptor, or a Windows HANDLE
};

// The steps of a replacement, in order, at which a test program
// (testing/at_step.cc) acts on a run: raises an interrupt, or pauses it
// while other programs run. kRenameRefused comes only on Windows, after a
// rename that another program's open handle on the target refused, before
// the next try.
enum class TempFileStep {
  kCreate,         // before the temporary file is created
  kLock,           // created, not yet locked
  kWrite,          // created and locked, its bytes being written
  kSync,           // written, its bytes about to be synced to the disk
  kRename,         // synced, about to be renamed over the target
  kRenameRefused,  // a rename refused, about to be tried again
  kRenamed,        // renamed over the target
};

// Sets the function called at each step, or none (null, as in the
// programs).
void SetTempFileStepHook(void (*hook)(TempFileStep));

// What a replacement takes from the system, for a test to stand in for
// where it could not otherwise reach the moment: each one set is used in
// place of the system's own; none set (as in the programs), the system's.
struct TempFileSeams {
  // The clock NextTempName reads: a count that moves with time.
  uint64_t (*clock)() = nullptr;
  // What NextTempName gives, one name per call.
  std::string (*next_name)(const std::string& target) = nullptr;
  // POSIX: the sync of an open file or folder, in place of fdatasync and
  // fsync: 0, or -1 with errno set.
  int (*sync)(int fd) = nullptr;
};
void SetTempFileSeams(const TempFileSeams& seams);

// The next candidate temporary name for `target`: different on each call,
// and in each process and run, without relying on the process id alone.
std::string NextTempName(const std::string& target);

}  // namespace tovrand

#endif  // TOVRAND_REPLACE_TEMP_FILE_H_
