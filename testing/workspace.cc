#include "testing/workspace.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "replace/temp_file.h"
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

std::string Workspace::WaitForTempFile() const {
  return WaitForFile(Path("Output"), [](const std::string& name) {
    return tovrand::IsTempNameOf(name, "FPools.txt");
  });
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
  ExpectEndedAndUnchanged(result, 1, 0, out, before, what);
}

void Workspace::ExpectEndedAndUnchanged(
    const ProcessResult& result, int status, int signal, const std::string& out,
    const std::map<std::string, std::string>& before,
    const std::string& what) const {
  EXPECT_EQ(result.status, status) << what;
  EXPECT_EQ(result.signal, signal) << what;
  EXPECT_EQ(result.out, out) << what;
  EXPECT_EQ(result.err, "") << what;
  EXPECT_EQ(OutputState(), before) << what;
  ExpectInputsUnchanged();
}

void Workspace::ExpectReplaced(const ProcessResult& result,
                               const std::string& out,
                               const std::string& output,
                               const std::string& what) const {
  EXPECT_EQ(result.status, 0) << what;
  EXPECT_EQ(result.out, out) << what;
  EXPECT_EQ(result.err, "") << what;
  EXPECT_EQ(OutputState(),
            (std::map<std::string, std::string>{{"FPools.txt", output}}))
      << what;
  ExpectInputsUnchanged();
}

void ExpectEachFailsAndWritesNothing(const std::vector<FailureCase>& cases,
                                     const std::string& command,
                                     const std::string& line_end) {
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    Workspace w;
    w.WritePreviousOutput();
    if (c.setup) c.setup(w);
    const auto before = w.OutputState();
    const ProcessResult r = RunIn(
        w.Dir(), c.wrapper.empty() ? command : c.wrapper + " " + command,
        c.args);
    w.ExpectFailedAndUnchanged(r, testdata::WithLineEnds(c.out, line_end),
                               before, c.what);
  }
}

const std::vector<Interrupt>& PosixInterrupts() {
  static const std::vector<Interrupt> interrupts = {
      {"int", SIGINT, -1, SIGINT},
      {"term", SIGTERM, -1, SIGTERM},
      {"hup", SIGHUP, -1, SIGHUP}};
  return interrupts;
}

const std::vector<Interrupt>& WindowsInterrupts() {
  constexpr int kControlCExit = 0xC000013A & 0xFF;
  static const std::vector<Interrupt> interrupts = {
      {"int", SIGINT, kControlCExit, 0},
      {"break", 0, kControlCExit, 0},
      {"close", 0, kControlCExit, 0}};
  return interrupts;
}
