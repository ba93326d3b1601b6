#ifndef TOVRAND_TESTING_WORKSPACE_H_
#define TOVRAND_TESTING_WORKSPACE_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "testing/data_builder.h"
#include "testing/process.h"
#include "testing/scratch_dir.h"

namespace testdata {

// The pools of kPools repeated to about 32 MB: writing them and syncing them
// to disk takes long enough for a test to act while a run writes.
std::string LargePools();

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

  // The name of a file in Output other than FPools.txt (a run's temporary
  // file), or "" when there is none.
  std::string TempFileName() const;

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

// Starts `command` with `args` in the workspace, over a previous output,
// until a run is caught with its temporary file in Output, and hands that
// run, still going, to `act`; at most `attempts` runs. Returns whether one
// was caught.
bool CatchMidWrite(Workspace* w, const std::string& command,
                   const Workspace::Args& args, int attempts,
                   const std::function<void(BackgroundRun&)>& act);

// Sends `signal_number` to `rounds` runs of `command` caught mid-write.
// Each must print nothing, leave Output with the previous FPools.txt or
// (when the signal came just after the rename) the new one, and nothing
// else, and end as `check_end` checks. Returns how many rounds found the
// previous FPools.txt: the runs interrupted before the rename.
int InterruptMidWrite(
    Workspace* w, const std::string& command, const Workspace::Args& args,
    int signal_number, int rounds,
    const std::function<void(const ProcessResult&)>& check_end);

// Like CatchMidWrite, but stops the writing process (SIGSTOP) once it holds
// the lock on its temporary file, and hands `act` the run, the process
// that writes (`writer_of` the run's process id: the same one, or its
// child in a container) and the temporary file's name. `act` must let the
// writer go on (SIGCONT). Returns whether a run was stopped so.
bool StopMidWrite(
    Workspace* w, const std::string& command, const Workspace::Args& args,
    const std::function<pid_t(pid_t)>& writer_of,
    const std::function<void(BackgroundRun&, pid_t, const std::string&)>& act);

// Whether a process holds a lock on the file at `path`, as a run holds its
// temporary file while it writes.
bool LockedByAProcess(const std::string& path);

#endif  // TOVRAND_TESTING_WORKSPACE_H_
