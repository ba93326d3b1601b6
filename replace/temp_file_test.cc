#include "replace/temp_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "replace/interrupt.h"
#include "replace/replace.h"
#include "testing/files.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Everything that can still be read from `fd`, which it then closes.
std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0)
    bytes.append(buffer, static_cast<size_t>(got));
  close(fd);
  return bytes;
}

// What `body` returns when run in a child process, or how the child ended:
// for what changes a process for good (its handlers, its root folder, its
// user). A fault that blocks the child ends it by SIGALRM.
std::string InChild(const std::function<std::string()>& body) {
  int out[2];
  if (pipe(out) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(out[0]);
    alarm(60);
    const std::string result = body();
    _exit(write(out[1], result.data(), result.size()) < 0 ? 1 : 0);
  }
  close(out[1]);
  std::string result = ReadAll(out[0]);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return "no child";
  if (WIFSIGNALED(status))
    return "ended by signal " + std::to_string(WTERMSIG(status));
  return result;
}

// Replaces `target` with the bytes "new bytes", as a run does.
bool WriteNewBytes(const std::string& target) {
  return WriteFileAtomically(
      target, reinterpret_cast<const unsigned char*>("new bytes"), 9);
}

// Puts `seams` in place for as long as it lives.
class WithSeams {
 public:
  explicit WithSeams(const TempFileSeams& seams) { SetTempFileSeams(seams); }
  ~WithSeams() { SetTempFileSeams(TempFileSeams()); }
};

TempFileSeams SyncSeam(int (*sync)(int fd)) {
  TempFileSeams seams;
  seams.sync = sync;
  return seams;
}

// Stands in for the syncs of a write of "new bytes" to FPools.txt in
// `folder`: notes what each one syncs and whether the rename has been made,
// and fails those a case says.
struct SyncWatch {
  std::string folder;
  int first_file_error = 0;  // the first file sync's errno, or 0
  int folder_error = 0;
  std::string calls;  // "; <what> before/after the rename" for each
} g_sync;

// The name in g_sync.folder of the file `st` describes, or "".
std::string NameInFolder(const struct stat& st) {
  for (const auto& entry : fs::directory_iterator(g_sync.folder)) {
    struct stat at;
    if (lstat(entry.path().c_str(), &at) == 0 && at.st_ino == st.st_ino &&
        at.st_dev == st.st_dev)
      return entry.path().filename().string();
  }
  return "";
}

int WatchedSync(int fd) {
  struct stat st, folder;
  if (fstat(fd, &st) != 0 || stat(g_sync.folder.c_str(), &folder) != 0)
    return -1;
  const bool is_folder =
      st.st_ino == folder.st_ino && st.st_dev == folder.st_dev;
  const std::string name = is_folder ? "the folder" : NameInFolder(st);
  const bool renamed = testdata::ReadIfFile(g_sync.folder + "/FPools.txt") ==
                       std::optional<std::string>("new bytes");
  g_sync.calls +=
      "; " + (IsTempNameOf(name, "FPools.txt") ? "the temporary file" : name) +
      (renamed ? " after the rename" : " before the rename");
  const int error = is_folder ? g_sync.folder_error : g_sync.first_file_error;
  if (!is_folder) g_sync.first_file_error = 0;
  if (error == 0) return 0;
  errno = error;
  return -1;
}

TEST(TempNameTest, OnlyTemporaryNamesOfTheTargetAreRecognised) {
  const struct {
    const char* name;
    bool temp;
  } cases[] = {
      // What runs make: 16 lowercase hex digits.
      {"FPools.txt.0123456789abcdef.tmp", true},
      // A modder's names, however near ours: 1.0's "<pid>.<n>" form too,
      // which a date such as 12.09 takes.
      {"FPools.txt.1.0.tmp", false},
      {"FPools.txt.12.09.tmp", false},
      {"FPools.txt.1234567.12345678.tmp", false},  // 16 characters, a dot
      {"FPools.txt.a.tmp", false},
      {"FPools.txt.1.tmp", false},
      {"FPools.txt.bad.tmp", false},
      {"FPools.txt.cafe.tmp", false},
      {"FPools.txt.backup.tmp", false},
      {"FPools.txt.2024.12.09.tmp", false},
      {"FPools.txt.....tmp", false},
      {"FPools.txt.0123456789abcde.tmp", false},
      {"FPools.txt.0123456789abcdef0.tmp", false},
      {"FPools.txt.0123456789ABCDEF.tmp", false},
      {"FPools.txt.0123456789abcdeg.tmp", false},
      {"FPools.txt.0123ABCD.tmp", false},
      {"FPools.txt.1.a.tmp", false},
      {"FPools.txt.1..tmp", false},
      {"FPools.txt..1.tmp", false},
      {"FPools.txt.notes.tmp", false},
      {"FPools.txt..tmp", false},
      {"FPools.txt.tmp", false},
      {"FPools.txt", false},
      // Our middle, but not the target's name or not ".tmp".
      {"FPools.txt.0123456789abcdef.tmp.bak", false},
      {"FPools.txt.0123456789abcdef.TMP", false},
      {"FPools.txtx0123456789abcdef.tmp", false},
      {"GETeams.txt.0123456789abcdef.tmp", false},
      {"XFPools.txt.0123456789abcdef.tmp", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTempNameOf(c.name, "FPools.txt"), c.temp) << c.name;
  }
}

TEST(TempNameTest, EachNameIsNewAndRecognised) {
  std::set<std::string> names;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = NextTempName("FPools.txt");
    EXPECT_TRUE(IsTempNameOf(name, "FPools.txt")) << name;
    EXPECT_EQ(name.size(),
              std::string("FPools.txt.0123456789abcdef.tmp").size());
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 1000u);
}

// A process that holds a temporary file beside `target`, as a run that is
// still writing does, until it is released.
class HeldTempFile {
 public:
  explicit HeldTempFile(const std::string& target) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      TempFile file;
      const bool ok =
          file.Create(target) &&
          file.Write(reinterpret_cast<const unsigned char*>("partial"), 7);
      const std::string name = ok ? file.path() : "";
      if (write(ready[1], name.data(), name.size()) < 0) _exit(1);
      close(ready[1]);
      char byte;
      while (read(release[0], &byte, 1) > 0) {
      }
      file.Discard();
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    path_ = ReadAll(ready[0]);
  }
  ~HeldTempFile() {
    if (release_ >= 0) close(release_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  const std::string& path() const { return path_; }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  std::string path_;
};

// Leftovers that no process holds go; what is held, not a temporary name,
// or not a regular file of one name (a link of either kind, a folder, a
// pipe) stays.
TEST(RemoveLeftoversTest, RemovesOnlyUnheldTemporaryFiles) {
  ScratchDir dir;
  const std::string target = dir / "FPools.txt";
  testdata::WriteFile(target, "old output");
  testdata::WriteFile(dir / "FPools.txt.0123456789abcdef.tmp", "killed");
  testdata::WriteFile(dir / "FPools.txt.1.0.tmp", "1.0's, or a modder's");
  testdata::WriteFile(dir / "FPools.txt.notes.tmp", "a modder's");
  testdata::WriteFile(dir / "GETeams.txt.0123456789abcdef.tmp", "another's");
  testdata::WriteFile(dir / "precious", "linked to");
  fs::create_symlink(dir / "precious", dir / "FPools.txt.00000000000000aa.tmp");
  fs::create_hard_link(dir / "precious",
                       dir / "FPools.txt.00000000000000bb.tmp");
  fs::create_directory(dir / "FPools.txt.00000000000000cc.tmp");
  ASSERT_EQ(mkfifo((dir / "FPools.txt.00000000000000dd.tmp").c_str(), 0600),
            0);
  HeldTempFile held(target);
  ASSERT_FALSE(held.path().empty());
  const std::string held_name = fs::path(held.path()).filename().string();

  RemoveLeftovers(target);

  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{
                       "FPools.txt", "FPools.txt.1.0.tmp",
                       "FPools.txt.notes.tmp",
                       "GETeams.txt.0123456789abcdef.tmp", "precious",
                       "FPools.txt.00000000000000aa.tmp",
                       "FPools.txt.00000000000000bb.tmp",
                       "FPools.txt.00000000000000cc.tmp",
                       "FPools.txt.00000000000000dd.tmp", held_name}));
  EXPECT_EQ(testdata::ReadFile(held.path()), "partial");
  EXPECT_EQ(testdata::ReadFile(dir / "precious"), "linked to");
}

// A write beside a run that is still writing succeeds and leaves that run's
// file alone; once that run has ended without finishing, the next write
// removes its file.
TEST(WriteFileAtomicallyTest, LeavesARunningWriteAloneAndCleansUpAfterIt) {
  ScratchDir dir;
  const std::string target = dir / "FPools.txt";
  testdata::WriteFile(target, "old output");
  const std::string data = "new bytes";
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  std::string held_path;
  {
    HeldTempFile held(target);
    held_path = held.path();
    ASSERT_TRUE(WriteFileAtomically(target, bytes, data.size()));
    EXPECT_EQ(testdata::ReadFile(held_path), "partial");
  }
  // The holder discarded its file on release; put back what a killed run
  // leaves, a file no one holds.
  testdata::WriteFile(held_path, "partial");
  ASSERT_TRUE(WriteFileAtomically(target, bytes, data.size()));
  EXPECT_EQ(testdata::DirectoryState(dir.path()),
            (std::map<std::string, std::string>{{"FPools.txt", data}}));
}

// A replaced file keeps its permission bits, and its setuid, setgid and
// sticky bits; a new one gets the usual 0666 less the umask.
TEST(WriteFileAtomicallyTest, AReplacedFileKeepsItsPermissions) {
  const std::string data = "new bytes";
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  for (mode_t mode : {0600, 0640, 0644, 0604, 0660, 0755, 0700, 04755, 02750,
                      01644, 06711, 07777}) {
    ScratchDir dir;
    const std::string target = dir / "FPools.txt";
    testdata::WriteFile(target, "old output");
    ASSERT_EQ(chmod(target.c_str(), mode), 0);
    ASSERT_TRUE(WriteFileAtomically(target, bytes, data.size()));
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
    EXPECT_EQ(testdata::ReadFile(target), data);
  }
  ScratchDir dir;
  const mode_t mask = umask(022);
  ASSERT_TRUE(WriteFileAtomically(dir / "FPools.txt", bytes, data.size()));
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat((dir / "FPools.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

uint64_t StoppedClock() { return 1; }

// Names made in one tick of the clock differ: in one process by their
// order, in two by the process.
TEST(TempNameTest, NamesMadeInOneTickDiffer) {
  TempFileSeams stopped;
  stopped.clock = StoppedClock;
  WithSeams seams(stopped);
  for (const bool in_child : {false, true}) {
    SCOPED_TRACE(in_child ? "in a forked process" : "in one process");
    const std::string first =
        in_child ? InChild([] { return NextTempName("FPools.txt"); })
                 : NextTempName("FPools.txt");
    const std::string second = NextTempName("FPools.txt");
    EXPECT_TRUE(IsTempNameOf(first, "FPools.txt")) << first;
    EXPECT_NE(first, second);
  }
}

std::vector<std::string> g_names;  // the names to give in turn; the last stays

std::string NamesInTurn(const std::string&) {
  const std::string name = g_names.front();
  if (g_names.size() > 1) g_names.erase(g_names.begin());
  return name;
}

// A name that is taken is never written through, whatever holds it: the
// write takes the next name and leaves what was there as it was.
TEST(WriteFileAtomicallyTest, LeavesWhatHoldsATakenNameAsItWas) {
  const struct {
    const char* label;
    void (*make)(const ScratchDir& dir);
    Files after;
  } cases[] = {
      {"a file",
       [](const ScratchDir& dir) {
         testdata::WriteFile(dir / "taken", "someone's bytes");
       },
       {{"FPools.txt", "new bytes"}, {"taken", "someone's bytes"}}},
      {"a link to a file",
       [](const ScratchDir& dir) {
         testdata::WriteFile(dir / "precious", "linked to");
         fs::create_symlink("precious", dir / "taken");
       },
       {{"FPools.txt", "new bytes"},
        {"precious", "linked to"},
        {"taken", "<link to precious>"}}},
      {"a link to no file",
       [](const ScratchDir& dir) { fs::create_symlink("missing", dir / "taken"); },
       {{"FPools.txt", "new bytes"}, {"taken", "<link to missing>"}}},
  };
  TempFileSeams in_turn;
  in_turn.next_name = NamesInTurn;
  WithSeams seams(in_turn);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    testdata::WriteFile(dir / "FPools.txt", "old output");
    c.make(dir);
    g_names = {dir / "taken", dir / "FPools.txt.next"};
    EXPECT_TRUE(WriteNewBytes(dir / "FPools.txt"));
    EXPECT_EQ(testdata::DirectoryState(dir.path()), c.after);
  }
}

// The bytes reach the disk before the rename, and the rename after it. A
// failed file sync fails the write and leaves the target as it was; a
// failed folder sync comes after the rename, which stands.
TEST(WriteFileAtomicallyTest, SyncsTheFileBeforeTheRenameAndTheFolderAfter) {
  const std::string both =
      "; the temporary file before the rename; the folder after the rename";
  const struct {
    const char* label;
    int first_file_error;
    int folder_error;
    bool written;
    std::string calls;
  } cases[] = {
      {"both syncs succeed", 0, 0, true, both},
      {"the file sync fails", EIO, 0, false,
       "; the temporary file before the rename"},
      {"the file sync is interrupted", EINTR, 0, true,
       "; the temporary file before the rename" + both},
      {"the file system cannot sync", EINVAL, 0, true, both},
      {"the folder sync fails", 0, EIO, true, both},
  };
  WithSeams seams(SyncSeam(WatchedSync));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    testdata::WriteFile(dir / "FPools.txt", "old output");
    g_sync = {dir.path(), c.first_file_error, c.folder_error, ""};
    EXPECT_EQ(WriteNewBytes(dir / "FPools.txt"), c.written);
    EXPECT_EQ(g_sync.calls, c.calls);
    EXPECT_EQ(testdata::DirectoryState(dir.path()),
              (Files{{"FPools.txt", c.written ? "new bytes" : "old output"}}));
  }
}

// A target in the file system's root folder: its leftovers are found there
// and the rename is synced there. The run is a child whose root folder is a
// scratch folder (in a user namespace of its own when not root).
TEST(WriteFileAtomicallyTest, WritesATargetInTheRootFolder) {
  ScratchDir dir;
  testdata::WriteFile(dir / "FPools.txt", "old output");
  testdata::WriteFile(dir / "FPools.txt.0123456789abcdef.tmp", "killed");
  const std::string result = InChild([&dir] {
    if ((geteuid() != 0 && unshare(CLONE_NEWUSER) != 0) ||
        chroot(dir.path().c_str()) != 0 || chdir("/") != 0)
      return std::string("no root folder of its own");
    g_sync = {"/", 0, 0, ""};
    SetTempFileSeams(SyncSeam(WatchedSync));
    const bool written = WriteNewBytes("/FPools.txt");
    return (written ? "written" : "not written") + g_sync.calls;
  });
  if (result == "no root folder of its own") GTEST_SKIP() << result;
  EXPECT_EQ(result,
            "written; the temporary file before the rename; the folder after "
            "the rename");
  EXPECT_EQ(testdata::DirectoryState(dir.path()),
            (Files{{"FPools.txt", "new bytes"}}));
}

// An unprivileged user's run removes the leftovers that user owns, also one
// it may only write, and never a pipe. As root, the run is a child that
// drops to uid 65534, since root may open any file.
TEST(RemoveLeftoversTest, AnUnprivilegedOwnerRemovesItsLeftovers) {
  const struct {
    const char* label;
    bool pipe;
    mode_t mode;
    bool removed;
  } cases[] = {
      {"a file it may read and write", false, 0600, true},
      {"a file it may only write", false, 0200, true},
      {"a pipe it may read and write", true, 0600, false},
      {"a pipe it may only write", true, 0200, false},
  };
  const uid_t nobody = 65534;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    const std::string leftover = dir / "FPools.txt.0123456789abcdef.tmp";
    if (c.pipe)
      ASSERT_EQ(mkfifo(leftover.c_str(), c.mode), 0);
    else
      testdata::WriteFile(leftover, "killed");
    ASSERT_EQ(chmod(leftover.c_str(), c.mode), 0);
    if (geteuid() == 0) {
      ASSERT_EQ(chown(dir.path().c_str(), nobody, nobody), 0);
      ASSERT_EQ(chown(leftover.c_str(), nobody, nobody), 0);
    }
    EXPECT_EQ(InChild([&dir] {
                if (geteuid() == 0 && (setgroups(0, nullptr) != 0 ||
                                       setgid(nobody) != 0 ||
                                       setuid(nobody) != 0))
                  return "cannot drop to uid 65534";
                RemoveLeftovers(dir / "FPools.txt");
                return "done";
              }),
              "done");
    struct stat st;
    EXPECT_EQ(lstat(leftover.c_str(), &st) != 0, c.removed);
  }
}

extern "C" void OwnFileSizeHandler(int) {}

void RaiseHangup(TempFileStep) { raise(SIGHUP); }

// Sets `signal_number`'s handler, flags and held signal (0 for none).
void Handle(int signal_number, void (*handler)(int), int flags, int held) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  if (held != 0) sigaddset(&action.sa_mask, held);
  sigaction(signal_number, &action, nullptr);
}

// The dispositions of the signals a write handles and the process's blocked
// signals, in words.
std::string SignalState() {
  const struct {
    int number;
    const char* name;
  } signals[] = {{SIGINT, "SIGINT"},   {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"},
                 {SIGXFSZ, "SIGXFSZ"}, {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"}};
  std::string state;
  for (const auto& s : signals) {
    struct sigaction action;
    sigaction(s.number, nullptr, &action);
    state += std::string(s.name) + ": " +
             (action.sa_handler == SIG_DFL   ? "default"
              : action.sa_handler == SIG_IGN ? "ignored"
              : action.sa_handler == OwnFileSizeHandler ? "the test's"
                                                        : "tovrand's");
    if (action.sa_flags & SA_RESTART) state += ", restarting";
    for (const auto& held : signals)
      if (sigismember(&action.sa_mask, held.number))
        state += std::string(", holds ") + held.name;
    state += "; ";
  }
  sigset_t blocked;
  sigprocmask(SIG_BLOCK, nullptr, &blocked);
  state += "blocked:";
  for (const auto& s : signals)
    if (sigismember(&blocked, s.number)) state += std::string(" ") + s.name;
  return state;
}

// After a write, however it ends, the signals are handled and blocked as
// they were before it. A hangup ignored at the start, as under nohup, stays
// ignored through every step: raised at each, it ends nothing.
TEST(WriteFileAtomicallyTest, LeavesTheSignalHandlingAsItWas) {
  const struct {
    const char* label;
    const char* target;
    int file_error;
    const char* result;
  } cases[] = {
      {"a write that succeeds", "FPools.txt", 0, "written"},
      {"a write whose sync fails", "FPools.txt", EIO, "not written"},
      {"a write that cannot create its file", "missing/FPools.txt", 0,
       "not written"},
  };
  const std::string state =
      "SIGINT: tovrand's, restarting, holds SIGINT, holds SIGTERM, holds "
      "SIGHUP; SIGTERM: tovrand's, restarting, holds SIGINT, holds SIGTERM, "
      "holds SIGHUP; SIGHUP: ignored; SIGXFSZ: the test's, restarting, holds "
      "SIGUSR1; SIGUSR1: default; SIGUSR2: default; blocked: SIGTERM SIGUSR2";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    EXPECT_EQ(InChild([&] {
                Handle(SIGXFSZ, OwnFileSizeHandler, SA_RESTART, SIGUSR1);
                Handle(SIGHUP, SIG_IGN, 0, 0);
                sigset_t blocked;
                sigemptyset(&blocked);
                sigaddset(&blocked, SIGTERM);
                sigaddset(&blocked, SIGUSR2);
                sigprocmask(SIG_BLOCK, &blocked, nullptr);
                HandleInterrupts();
                const std::string before = SignalState();
                g_sync = {dir.path(), c.file_error, 0, ""};
                SetTempFileSeams(SyncSeam(WatchedSync));
                SetTempFileStepHook(RaiseHangup);
                const bool written = WriteNewBytes(dir / c.target);
                return before + " | " + (written ? "written" : "not written") +
                       " | " + SignalState();
              }),
              state + " | " + c.result + " | " + state);
  }
}

// One process may replace one file, then another (the window writes again
// and again): an interrupt while it writes the second still ends it, and
// takes that temporary file with it.
TEST(InterruptDeathTest, ASecondReplacementIsInterruptedAsTheFirst) {
  ScratchDir dir;
  const std::string first = dir / "first";
  const std::string second = dir / "second";
  EXPECT_EXIT(
      {
        HandleInterrupts();
        const unsigned char byte = 'x';
        if (!WriteFileAtomically(first, &byte, 1)) std::_Exit(2);
        TempFile temp;
        if (!temp.Create(second)) std::_Exit(3);
        raise(SIGINT);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"first"});
}

}  // namespace
}  // namespace tovrand

namespace tovrand {
namespace {

// The files this process has open.
size_t OpenFiles() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

std::string g_block_rename;  // a folder made where the target is, at the rename
void BlockRename(TempFileStep step) {
  if (step != TempFileStep::kRename) return;
  fs::create_directory(g_block_rename);
  testdata::WriteFile(g_block_rename + "/held", "a modder's file");
}

// A replacement leaves no file of its own open, and none behind: not the
// target it looked at, not a temporary file whose rename failed; and once
// discarded, its end closes nothing that was opened after it.
TEST(TempFileTest, LeavesNoFileOpenOrBehind) {
  ScratchDir dir;
  const std::string target = dir / "FPools.txt";
  testdata::WriteFile(target, "old output");
  const size_t open_before = OpenFiles();
  ReplacedFile replaced;
  ASSERT_TRUE(InspectTarget(target, &replaced));
  EXPECT_EQ(OpenFiles(), open_before);

  // The target is a folder by the time of the rename: it fails.
  fs::remove(target);
  g_block_rename = target;
  SetTempFileStepHook(BlockRename);
  {
    TempFile temp;
    ASSERT_TRUE(temp.Create(target));
    ASSERT_TRUE(temp.Write(reinterpret_cast<const unsigned char*>("new"), 3));
    EXPECT_FALSE(temp.Commit(ReplacedFile()));
    EXPECT_EQ(OpenFiles(), open_before);
  }
  SetTempFileStepHook(nullptr);
  EXPECT_EQ(testdata::DirectoryState(dir.path()),
            (Files{{"FPools.txt", "<directory>"}}));
  EXPECT_EQ(testdata::DirectoryState(target), (Files{{"held", "a modder's file"}}));

  // Discarded, then let go: the end closes nothing opened in between.
  int after = -1;
  {
    TempFile temp;
    ASSERT_TRUE(temp.Create(dir / "Other.txt"));
    temp.Discard();
    EXPECT_EQ(temp.path(), "");
    after = open(target.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(after, 0);
  }
  EXPECT_NE(fcntl(after, F_GETFD), -1) << "a file opened after the discard was closed";
  close(after);
  EXPECT_EQ(OpenFiles(), open_before);
}

}  // namespace
}  // namespace tovrand
