// Runs stopped part way through writing their output, natively: by a signal
// that was ignored when the run started, by one that does not let it clean
// up (SIGKILL), and while it is paused, by runs in other containers. Output
// always holds the previous FPools.txt or the whole new one, and a
// temporary file outlives only a run that could not remove it, until the
// next run removes it. (The interrupts at each step, on both builds, are in
// e2e_test.cc.)

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "testing/data_builder.h"
#include "testing/process.h"
#include "testing/workspace.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;

const std::string kAtStep = ShellQuote(TOVRAND_AT_STEP_EXE);

// A signal ignored when the run started (nohup, a background job) stays
// ignored: the run finishes.
TEST(InterruptTest, ASignalIgnoredAtStartStaysIgnored) {
  for (const Interrupt& interrupt : PosixInterrupts()) {
    SCOPED_TRACE(interrupt.action);
    Workspace w;
    w.WritePreviousOutput();
    const std::string command = "trap '' " +
                                std::to_string(interrupt.from_outside) + "; " +
                                kAtStep + " write " + interrupt.action;
    w.ExpectReplaced(RunIn(w.Dir(), command, kUnchangedRun), kSuccess,
                     testdata::PoolRecords(testdata::kPools), interrupt.action);
  }
}

// SIGKILL leaves the temporary file behind; the next run removes it.
TEST(InterruptTest, TheNextRunRemovesWhatAKilledRunLeft) {
  Workspace w;
  BackgroundRun run(w.Dir(), kAtStep + " write pause", kUnchangedRun);
  ASSERT_TRUE(WaitForFile(w.Dir(), "paused"));
  const std::string leftover = w.TempFileName();
  ASSERT_FALSE(leftover.empty());
  kill(run.pid(), SIGKILL);
  EXPECT_EQ(run.Wait().signal, SIGKILL);
  ASSERT_TRUE(fs::exists(w.Path("Output/" + leftover))) << leftover;
  w.Remove("paused");
  w.ExpectReplaced(w.Run(kUnchangedRun), kSuccess,
                   testdata::PoolRecords(testdata::kPools), "next run");
}

// Whether `unshare -pf` can start a program in a new process namespace
// here; it needs root or user namespaces.
bool ContainersAvailable() {
  return std::system("unshare -pf true >/dev/null 2>&1") == 0;
}

// The process id inside a container is always 1, so names made from it
// alone would collide: neither a pile of leftovers nor a run in another
// container stops a run there.
TEST(ContainerTest, LeftoversOfKilledRunsInAContainerAreRemoved) {
  if (!ContainersAvailable())
    GTEST_SKIP() << "unshare -pf cannot start a process namespace here";
  Workspace w;
  w.WritePreviousOutput();
  // What a hundred and fifty killed runs left.
  for (int n = 0; n < 150; ++n) {
    char middle[17];
    std::snprintf(middle, sizeof middle, "%016x", n);
    testdata::WriteFile(w.Path(std::string("Output/FPools.txt.") + middle +
                               ".tmp"),
                        "partial");
  }
  const ProcessResult r = w.RunWrapped("unshare -pf", kUnchangedRun);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSuccess);
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
}

TEST(ContainerTest, ARunInAnotherContainerLeavesAWritingRunAlone) {
  if (!ContainersAvailable())
    GTEST_SKIP() << "unshare -pf cannot start a process namespace here";
  Workspace w;
  BackgroundRun first(w.Dir(), "unshare -pf " + kAtStep + " write pause",
                      kUnchangedRun);
  ASSERT_TRUE(WaitForFile(w.Dir(), "paused"));
  const std::string temp = w.TempFileName();
  const ProcessResult second = w.RunWrapped("unshare -pf", kUnchangedRun);
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.out, kSuccess);
  EXPECT_TRUE(fs::exists(w.Path("Output/" + temp))) << temp;
  first.CloseInput();
  w.Remove("paused");
  w.ExpectReplaced(first.Wait(), kSuccess,
                   testdata::PoolRecords(testdata::kPools), "first run");
}

}  // namespace
}  // namespace tovrand
