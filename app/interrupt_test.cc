// Runs the built program and stops it part way through writing its output:
// by a signal that lets it clean up (Ctrl-C, SIGTERM, SIGHUP), by one that
// does not (SIGKILL), and while it is stopped, by runs in other containers.
// Output always holds the previous FPools.txt or the whole new one, and a
// temporary file outlives only a run that could not remove it, until the
// next run removes it.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "testing/data_builder.h"
#include "testing/process.h"
#include "testing/workspace.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;
using Args = Workspace::Args;
using OutputState = std::map<std::string, std::string>;

const Args kRun = {"a", "60", "60", "60", "60"};
const char kSuccess[] = "New FPools.txt has been placed in Output folder\n";

// An FPools.txt of about 32 MB: writing it and syncing it to disk takes long
// enough for a test to act while the temporary file exists.
std::string LargePools() {
  const std::string pools = testdata::PoolRecords(testdata::kPools);
  std::string large;
  large.reserve(32 << 20);
  while (large.size() + pools.size() <= (32u << 20)) large += pools;
  return large;
}

// The name of a temporary file in the workspace's Output, or "".
std::string TempFileIn(const Workspace& w) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(w.Path("Output"), error)) {
    const std::string name = entry.path().filename().string();
    if (name != "FPools.txt") return name;
  }
  return "";
}

// Waits until the run has a temporary file in Output; false when the run
// ended first.
bool WaitForTempFile(const Workspace& w, BackgroundRun* run) {
  while (run->Running()) {
    if (!TempFileIn(w).empty()) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return false;
}

// Starts runs until one is caught with its temporary file in Output, and
// hands it to `act`, at most `attempts` times. Returns whether one was.
template <typename Act>
bool CatchMidWrite(Workspace& w, const std::string& command, int attempts,
                   Act act) {
  for (int i = 0; i < attempts; ++i) {
    w.WritePreviousOutput();
    BackgroundRun run(w.Dir(), command, kRun);
    if (WaitForTempFile(w, &run)) {
      act(run);
      return true;
    }
    run.Wait();
  }
  return false;
}

// A signal that allows cleaning up ends the run as that signal ends a
// program, with nothing printed, the previous output in place and no
// temporary file. (One caught just after the rename finds the new output
// whole instead.)
TEST(InterruptTest, ASignalMidWriteRemovesTheTemporaryFile) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    Workspace w;
    w.Write("FPools.txt", LargePools());
    w.WritePreviousOutput();
    const OutputState previous = w.OutputState();
    int caught_before_rename = 0;
    for (int round = 0; round < 3; ++round) {
      const bool caught =
          CatchMidWrite(w, ProgramUnderTest(), 10, [&](BackgroundRun& run) {
            ASSERT_EQ(kill(run.pid(), signal_number), 0);
            const ProcessResult r = run.Wait();
            EXPECT_EQ(r.signal, signal_number);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, "");
            const OutputState after = w.OutputState();
            EXPECT_EQ(after.size(), 1u) << "a temporary file stayed";
            if (after == previous) ++caught_before_rename;
          });
      ASSERT_TRUE(caught) << "signal " << signal_number;
    }
    EXPECT_GT(caught_before_rename, 0) << "signal " << signal_number;
    w.ExpectInputsUnchanged();
  }
}

// SIGKILL leaves the temporary file behind; the next run removes it.
TEST(InterruptTest, TheNextRunRemovesWhatAKilledRunLeft) {
  Workspace w;
  const std::string pools = LargePools();
  w.Write("FPools.txt", pools);
  std::string leftover;
  ASSERT_TRUE(CatchMidWrite(w, ProgramUnderTest(), 10, [&](BackgroundRun& run) {
    leftover = TempFileIn(w);
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
  const std::string pools = LargePools();
  w.Write("FPools.txt", pools);
  bool stopped = false;
  const bool caught = CatchMidWrite(
      w, "unshare -pf " + ProgramUnderTest(), 10, [&](BackgroundRun& first) {
        const pid_t writer = ChildOf(first.pid());
        ASSERT_GT(writer, 0);
        ASSERT_EQ(kill(writer, SIGSTOP), 0);
        const std::string temp = TempFileIn(w);
        if (temp.empty()) {  // it finished before it stopped
          kill(writer, SIGCONT);
          first.Wait();
          return;
        }
        stopped = true;
        const ProcessResult second = w.RunWrapped("unshare -pf", kRun);
        EXPECT_EQ(second.status, 0);
        EXPECT_EQ(second.out, kSuccess);
        EXPECT_TRUE(fs::exists(w.Path("Output/" + temp))) << temp;
        ASSERT_EQ(kill(writer, SIGCONT), 0);
        const ProcessResult r = first.Wait();
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, kSuccess);
      });
  ASSERT_TRUE(caught && stopped) << "no run was stopped while writing";
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
  EXPECT_EQ(fs::file_size(w.Path("Output/FPools.txt")), pools.size());
}

}  // namespace
}  // namespace tovrand
