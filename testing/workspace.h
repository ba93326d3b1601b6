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
// to disk takes long enough for a signal sent from outside to come while a
// run writes, often.
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
  // Waits, as WaitForFile does, for a run's temporary file in Output and
  // returns its name, or "".
  std::string WaitForTempFile() const;

  // The names in Output, sorted.
  std::vector<std::string> OutputEntries() const;

  // What Output holds: each entry's name with the bytes of a regular file,
  // "<directory>" for a directory, "<link to TARGET>" for a symbolic link,
  // or "<other>"; empty when Output is not a directory.
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
  // The same for a run that must end with `status` and `signal`, as
  // ProcessResult gives them.
  void ExpectEndedAndUnchanged(const ProcessResult& result, int status,
                               int signal, const std::string& out,
                               const std::map<std::string, std::string>& before,
                               const std::string& what) const;

  // Checks a run that must succeed: status 0, exactly `out` on standard
  // output, nothing on standard error, Output holding only FPools.txt with
  // `output`, and every input as it was written.
  void ExpectReplaced(const ProcessResult& result, const std::string& out,
                      const std::string& output, const std::string& what) const;

 private:
  ScratchDir dir_;
  std::map<std::string, std::string> inputs_;
};

// What tovrand prints when it has replaced its output, and when it could
// not write it.
inline constexpr char kSuccess[] =
    "New FPools.txt has been placed in Output folder\n";
inline constexpr char kWriteFailed[] =
    "Failed to write FPools.txt to Output folder\n";

// Runs of the small data set: each side scaled (German: Kampfgruppe Nord
// and Sud change; Allied: Task Force Able and Baker), and one at 100% that
// writes the input as it is.
inline const Workspace::Args kGermanRun = {"g", "100", "80", "50", "60"};
inline const Workspace::Args kAlliedRun = {"a", "100", "80", "50", "60"};
inline const Workspace::Args kUnchangedRun = {"g", "100", "100", "100", "100"};

// A run that must fail and change nothing: its arguments, what is done to
// a fresh workspace before it (or nothing), the lines it prints, and a
// prefix to the program's command (a wrapper that changes how it runs), or
// none.
struct FailureCase {
  const char* what;
  Workspace::Args args;
  std::function<void(Workspace&)> setup;
  std::string out;
  std::string wrapper = "";
};

// Runs each case with `command` in a fresh workspace whose Output holds a
// previous FPools.txt, and checks that it failed with the case's lines,
// each ending in `line_end`, and changed nothing.
void ExpectEachFailsAndWritesNothing(
    const std::vector<FailureCase>& cases,
    const std::string& command = ProgramUnderTest(),
    const std::string& line_end = "\n");

// An interrupt as a test raises it, and how a run that it ended ends.
struct Interrupt {
  std::string action;  // tovrand_at_step's name for it (testing/at_step.cc)
  int from_outside;    // the signal that stands for it from outside, or 0
  int status;          // a run it ended: the exit status, or -1
  int signal;          // and the signal that ended it, or 0
};

// The POSIX build's: SIGINT, SIGTERM and SIGHUP, from inside or outside
// alike, each ending the run by its signal.
const std::vector<Interrupt>& PosixInterrupts();
// The Windows build's under Wine: Ctrl-C, which also comes from outside as
// SIGINT, and Ctrl-Break and the console closing, which come only from
// tovrand_at_step; each ends the run with the status Wine gives a program
// that STATUS_CONTROL_C_EXIT ended, its low byte.
const std::vector<Interrupt>& WindowsInterrupts();

#endif  // TOVRAND_TESTING_WORKSPACE_H_
