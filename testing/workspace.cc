#include "testing/workspace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "pool/team_types.h"

namespace fs = std::filesystem;

namespace testdata {

std::string LargePools() {
  const std::string pools = PoolRecords(kPools);
  constexpr size_t kSize = size_t{32} << 20;
  std::string large;
  large.reserve(kSize);
  while (large.size() + pools.size() <= kSize) large += pools;
  return large;
}

}  // namespace testdata

std::string ProgramUnderTest() { return ProgramCommand(TOVRAND_EXE); }

Workspace::Workspace() {
  Write("Tables.ini", testdata::StandardLayout());
  Write("FPools.txt", testdata::PoolRecords(testdata::kPools));
  Write("AlsTeams.txt", testdata::TeamRecords(testdata::kAlliedTeams));
  Write("GETeams.txt", testdata::TeamRecords(testdata::kGermanTeams));
  fs::create_directory(dir_ / "Output");
}

void Workspace::Write(const std::string& name, const std::string& bytes) {
  testdata::WriteFile(dir_ / name, bytes);
  inputs_[name] = bytes;
}

void Workspace::Remove(const std::string& name) {
  fs::remove_all(dir_ / name);
  inputs_.erase(name);
}

ProcessResult Workspace::Run(const Args& args) const {
  return RunIn(dir_.path(), ProgramUnderTest(), args);
}

ProcessResult Workspace::RunWrapped(const std::string& prefix,
                                    const Args& args) const {
  return RunIn(dir_.path(), prefix + " " + ProgramUnderTest(), args);
}

void Workspace::ExpectInputsUnchanged() const {
  for (const auto& [name, bytes] : inputs_) {
    EXPECT_EQ(testdata::ReadFile(dir_ / name), bytes) << name;
  }
}

std::string Workspace::TempFileName() const {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir_ / "Output", error)) {
    const std::string name = entry.path().filename().string();
    if (name != "FPools.txt") return name;
  }
  return "";
}

bool CatchMidWrite(Workspace* w, const std::string& command,
                   const Workspace::Args& args, int attempts,
                   const std::function<void(BackgroundRun&)>& act) {
  for (int i = 0; i < attempts; ++i) {
    w->WritePreviousOutput();
    BackgroundRun run(w->Dir(), command, args);
    while (run.Running()) {
      if (!w->TempFileName().empty()) {
        act(run);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    run.Wait();
  }
  return false;
}

int InterruptMidWrite(
    Workspace* w, const std::string& command, const Workspace::Args& args,
    int signal_number, int rounds,
    const std::function<void(const ProcessResult&)>& check_end) {
  w->WritePreviousOutput();
  const auto previous = w->OutputState();
  int before_rename = 0;
  for (int round = 0; round < rounds; ++round) {
    const bool caught =
        CatchMidWrite(w, command, args, 10, [&](BackgroundRun& run) {
          EXPECT_EQ(kill(run.pid(), signal_number), 0);
          const ProcessResult r = run.Wait();
          check_end(r);
          EXPECT_EQ(r.out, "");
          EXPECT_EQ(r.err, "");
          // Under Wine the server deletes a file marked for deletion only
          // once it sees the process gone, a moment after its parent does;
          // a file that stays is still there after that moment.
          auto after = w->OutputState();
          for (int wait = 0; after.size() > 1 && wait < 200; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            after = w->OutputState();
          }
          EXPECT_EQ(after.size(), 1u) << "a temporary file stayed";
          if (after == previous) ++before_rename;
        });
    EXPECT_TRUE(caught) << "no run caught mid-write, signal " << signal_number;
  }
  w->ExpectInputsUnchanged();
  return before_rename;
}

bool LockedByAProcess(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock = {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  const bool locked = fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  close(fd);
  return locked;
}

bool StopMidWrite(
    Workspace* w, const std::string& command, const Workspace::Args& args,
    const std::function<pid_t(pid_t)>& writer_of,
    const std::function<void(BackgroundRun&, pid_t, const std::string&)>& act) {
  bool stopped = false;
  for (int attempt = 0; attempt < 10 && !stopped; ++attempt) {
    CatchMidWrite(w, command, args, 1, [&](BackgroundRun& run) {
      std::string temp;
      while (run.Running()) {
        temp = w->TempFileName();
        if (!temp.empty() && LockedByAProcess(w->Path("Output/" + temp))) break;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
      const pid_t writer = writer_of(run.pid());
      if (writer <= 0 || kill(writer, SIGSTOP) != 0) return;
      // Still there and held once stopped: stopped while writing.
      if (!LockedByAProcess(w->Path("Output/" + temp))) {
        kill(writer, SIGCONT);
        run.Wait();
        return;
      }
      stopped = true;
      act(run, writer, temp);
    });
  }
  return stopped;
}

std::vector<std::string> Workspace::OutputEntries() const {
  std::vector<std::string> names;
  for (const auto& entry : OutputState()) names.push_back(entry.first);
  return names;
}

std::map<std::string, std::string> Workspace::OutputState() const {
  return testdata::DirectoryState(dir_ / "Output")
      .value_or(std::map<std::string, std::string>());
}

void Workspace::WritePreviousOutput() {
  if (fs::is_directory(dir_ / "Output"))
    testdata::WriteFile(dir_ / "Output/FPools.txt", "previous output");
}

void Workspace::ExpectFailedAndUnchanged(
    const ProcessResult& result, const std::string& out,
    const std::map<std::string, std::string>& before,
    const std::string& what) const {
  EXPECT_EQ(result.status, 1) << what;
  EXPECT_EQ(result.out, out) << what;
  EXPECT_EQ(result.err, "") << what;
  EXPECT_EQ(OutputState(), before) << what;
  ExpectInputsUnchanged();
}
