#ifndef TOVRAND_TESTING_WORKSPACE_H_
#define TOVRAND_TESTING_WORKSPACE_H_

#include <map>
#include <string>
#include <vector>

#include "testing/data_builder.h"
#include "testing/process.h"
#include "testing/scratch_dir.h"

namespace testdata {

// The data files of a fresh Workspace: German pools of date 0 and 1943, a
// German side pool that is never scaled, Allied pools of date 0 and 1944,
// and three teams a side (a tank, an infantry team and one of neither
// category, apart from the Allied Jeep, which counts as a tank).
extern const std::vector<Pool> kPools;
extern const std::vector<Team> kGermanTeams;
extern const std::vector<Team> kAlliedTeams;

}  // namespace testdata

// The command that starts the program under test: TOVRAND_COMMAND when it
// is set, otherwise the tovrand of this build.
std::string ProgramUnderTest();

// A directory laid out as a modder's: the layout, the three data files and
// an Output directory. Runs the program of this build in it.
class Workspace {
 public:
  using Args = std::vector<std::string>;

  Workspace();

  void Write(const std::string& name, const std::string& bytes);
  void Remove(const std::string& name);
  std::string Path(const std::string& name) const { return dir_ / name; }
  const std::string& Dir() const { return dir_.path(); }

  // Runs the program under test (see ProgramCommand) with `args`.
  ProcessResult Run(const Args& args) const;
  // Runs `prefix` followed by the program under test: a wrapper that
  // changes how the program runs.
  ProcessResult RunWrapped(const std::string& prefix, const Args& args) const;

  // Every input file is as it was written.
  void ExpectInputsUnchanged() const;

  // The names in Output, sorted.
  std::vector<std::string> OutputEntries() const;

  // What Output holds: each entry's name with the bytes of a regular file,
  // "<directory>" for a directory, or "<other>"; empty when Output is not a
  // directory.
  std::map<std::string, std::string> OutputState() const;

  // Puts a previous Output/FPools.txt in place, when Output is a directory,
  // for a run that must leave it as it was.
  void WritePreviousOutput();

  // Checks a run that must fail and change nothing: status 1, exactly `out`
  // on standard output, nothing on standard error, Output as `before` (its
  // OutputState() before the run) and every input as it was written.
  void ExpectFailedAndUnchanged(
      const ProcessResult& result, const std::string& out,
      const std::map<std::string, std::string>& before,
      const std::string& what) const;

 private:
  ScratchDir dir_;
  std::map<std::string, std::string> inputs_;
};

#endif  // TOVRAND_TESTING_WORKSPACE_H_
