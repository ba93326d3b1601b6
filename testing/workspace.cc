#include "testing/workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "pool/team_types.h"

namespace fs = std::filesystem;

namespace testdata {

const std::vector<Pool> kPools = {
    {"Kampfgruppe Nord", 1, 0, {{5, 12}, {9, 4}, {11, 3}}},
    {"Kampfgruppe Sud", 1, 1943, {{5, 12}, {9, 4}}},
    {"German Reserve", 1, 0, {{5, 12}}},
    {"Task Force Able", 0, 0, {{5, 10}, {7, 10}}},
    {"Task Force Baker", 0, 1944, {{8, 10}, {7, 10}}},
};
const std::vector<Team> kGermanTeams = {{"Panzer IV", 5, tovrand::kMediumTank},
                                        {"Grenadiers", 9, tovrand::kRifle},
                                        {"Opel Blitz", 11, tovrand::kTruck}};
const std::vector<Team> kAlliedTeams = {{"Sherman", 5, tovrand::kMediumTank},
                                        {"Riflemen", 7, tovrand::kRifle},
                                        {"Jeep", 8, tovrand::kReconVehicle}};

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
