// Runs the built program and stops it part way through writing its output:
// by a signal that lets it clean up (Ctrl-C, SIGTERM, SIGHUP), by one that
// does not (SIGKILL), and while it is stopped, by runs in other containers.
// Output always holds the previous FPools.txt or the whole new one, and a
// temporary file outlives only a run that could not remove it, until the
// next run removes it.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "testing/data_builder.h"
#include "testing/process.h"
#include "testing/workspace.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;
using Args = Workspace::Args;

const Args kRun = {"a", "60", "60", "60", "60"};
const char kSuccess[] = "New FPools.txt has been placed in Output folder\n";

// A signal that allows cleaning up ends the run as that signal ends a
// program, with nothing printed, the previous output in place and no
// temporary file. (One caught just after the rename finds the new output
// whole instead.)
TEST(InterruptTest, ASignalMidWriteRemovesTheTemporaryFile) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    Workspace w;
    w.Write("FPools.txt", testdata::LargePools());
    const int before_rename = InterruptMidWrite(
        &w, ProgramUnderTest(), kRun, signal_number, 3,
        [&](const ProcessResult& r) { EXPECT_EQ(r.signal, signal_number); });
    EXPECT_GT(before_rename, 0) << "signal " << signal_number;
  }
}

// SIGKILL leaves the temporary file behind; the next run removes it.
TEST(InterruptTest, TheNextRunRemovesWhatAKilledRunLeft) {
  Workspace w;
  const std::string pools = testdata::LargePools();
  w.Write("FPools.txt", pools);
  std::string leftover;
  ASSERT_TRUE(
      CatchMidWrite(&w, ProgramUnderTest(), kRun, 10, [&](BackgroundRun& run) {
        leftover = w.TempFileName();
        kill(run.pid(), SIGKILL);
        EXPECT_EQ(run.Wait().signal, SIGKILL);
      }));
  ASSERT_TRUE(fs::exists(w.Path("Output/" + leftover))) << leftover;
  const ProcessResult r = w.Run(kRun);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSuccess);
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
  EXPECT_EQ(fs::file_size(w.Path("Output/FPools.txt")), pools.size());
}

// Whether `unshare -pf` can start a program in a new process namespace
// here; it needs root or user namespaces.
bool ContainersAvailable() {
  return std::system("unshare -pf true >/dev/null 2>&1") == 0;
}

// The process id inside a container is always 1, so names made from it
// alone would collide: neither a pile of leftovers with such names nor a
// run in another container stops a run there.
TEST(ContainerTest, LeftoversOfKilledRunsInAContainerAreRemoved) {
  if (!ContainersAvailable())
    GTEST_SKIP() << "unshare -pf cannot start a process namespace here";
  Workspace w;
  w.WritePreviousOutput();
  // What a hundred and fifty killed runs of an earlier version left.
  for (int n = 0; n < 150; ++n)
    testdata::WriteFile(
        w.Path("Output/FPools.txt.1." + std::to_string(n) + ".tmp"), "partial");
  const ProcessResult r = w.RunWrapped("unshare -pf", kRun);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSuccess);
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
}

// The process that `unshare -pf` started, seen from here, or -1.
pid_t ChildOf(pid_t parent) {
  std::ifstream children("/proc/" + std::to_string(parent) + "/task/" +
                         std::to_string(parent) + "/children");
  pid_t child = -1;
  children >> child;
  return child;
}

TEST(ContainerTest, ARunInAnotherContainerLeavesAWritingRunAlone) {
  if (!ContainersAvailable())
    GTEST_SKIP() << "unshare -pf cannot start a process namespace here";
  Workspace w;
  const std::string pools = testdata::LargePools();
  w.Write("FPools.txt", pools);
  const bool stopped = StopMidWrite(
      &w, "unshare -pf " + ProgramUnderTest(), kRun, ChildOf,
      [&](BackgroundRun& first, pid_t writer, const std::string& temp) {
        const ProcessResult second = w.RunWrapped("unshare -pf", kRun);
        EXPECT_EQ(second.status, 0);
        EXPECT_EQ(second.out, kSuccess);
        EXPECT_TRUE(fs::exists(w.Path("Output/" + temp))) << temp;
        ASSERT_EQ(kill(writer, SIGCONT), 0);
        const ProcessResult r = first.Wait();
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, kSuccess);
      });
  ASSERT_TRUE(stopped) << "no run was stopped while writing";
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
  EXPECT_EQ(fs::file_size(w.Path("Output/FPools.txt")), pools.size());
}

}  // namespace
}  // namespace tovrand
