#include "base/temp_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "base/file_io.h"
#include "testing/files.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;

TEST(TempNameTest, OnlyTemporaryNamesOfTheTargetAreRecognised) {
  const struct {
    const char* name;
    bool temp;
  } cases[] = {
      // What runs make: 16 lowercase hex digits, or an earlier version's
      // "<pid>.<n>".
      {"FPools.txt.0123456789abcdef.tmp", true},
      {"FPools.txt.1.0.tmp", true},
      {"FPools.txt.4242.99.tmp", true},
      {"FPools.txt.1234567.12345678.tmp", true},  // 16 characters, a dot
      // A modder's names, however near ours.
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
      {"FPools.txt.1.12.tmp.bak", false},
      {"FPools.txt.1.12.TMP", false},
      {"FPools.txtx1.12.tmp", false},
      {"GETeams.txt.1.12.tmp", false},
      {"XFPools.txt.1.12.tmp", false},
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
    char buffer[4096];
    ssize_t got;
    while ((got = read(ready[0], buffer, sizeof buffer)) > 0)
      path_.append(buffer, static_cast<size_t>(got));
    close(ready[0]);
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

// Leftovers that no process holds go, whatever their process id was; what
// is held, not a temporary name, or not a regular file (a link, a folder, a
// pipe) stays.
TEST(RemoveLeftoversTest, RemovesOnlyUnheldTemporaryFiles) {
  ScratchDir dir;
  const std::string target = dir / "FPools.txt";
  testdata::WriteFile(target, "old output");
  testdata::WriteFile(dir / "FPools.txt.1.0.tmp", "killed in a container");
  testdata::WriteFile(dir / "FPools.txt.1.99.tmp", "killed in a container");
  testdata::WriteFile(dir / "FPools.txt.0123456789abcdef.tmp", "killed");
  testdata::WriteFile(dir / "FPools.txt.notes.tmp", "a modder's");
  testdata::WriteFile(dir / "FPools.txt.2024.12.09.tmp", "a modder's");
  testdata::WriteFile(dir / "GETeams.txt.1.12.tmp", "another file's");
  testdata::WriteFile(dir / "precious", "linked to");
  fs::create_symlink(dir / "precious", dir / "FPools.txt.1.88.tmp");
  fs::create_directory(dir / "FPools.txt.1.77.tmp");
  ASSERT_EQ(mkfifo((dir / "FPools.txt.1.66.tmp").c_str(), 0600), 0);
  HeldTempFile held(target);
  ASSERT_FALSE(held.path().empty());
  const std::string held_name = fs::path(held.path()).filename().string();

  RemoveLeftovers(target);

  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{
                       "FPools.txt", "FPools.txt.notes.tmp",
                       "FPools.txt.2024.12.09.tmp", "GETeams.txt.1.12.tmp",
                       "precious", "FPools.txt.1.88.tmp", "FPools.txt.1.77.tmp",
                       "FPools.txt.1.66.tmp", held_name}));
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

}  // namespace
}  // namespace tovrand
