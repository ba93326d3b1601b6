#ifndef TOVRAND_TESTING_PROCESS_H_
#define TOVRAND_TESTING_PROCESS_H_

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;  // exit status, or -1 when the program did not exit
  int signal = 0;   // the signal that ended it, if one did
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
};

// `word` quoted for the POSIX shell: every byte stands for itself.
std::string ShellQuote(const std::string& word);

// The command that starts the program under test: the environment variable
// TOVRAND_COMMAND when it is set (for example a wrapper that runs another
// build of it), otherwise `built` (the executable of this build).
std::string ProgramCommand(const std::string& built);

// Runs `command` with `args` in the directory `dir`, with no standard input,
// and collects its output and exit status. With `output`, standard output
// goes to that file or device instead, and `out` stays empty.
ProcessResult RunIn(const std::string& dir, const std::string& command,
                    const std::vector<std::string>& args,
                    const std::string& output = "");

// Runs `command` with `args` in `dir` with standard output a pipe whose
// reading end is already closed, as after `| head` has gone, and SIGPIPE at
// its default action. Returns what RunIn would; `out` stays empty.
ProcessResult RunIntoClosedPipe(const std::string& dir,
                                const std::string& command,
                                const std::vector<std::string>& args);

// `command` with `args` started in the directory `dir` and left running,
// for a test that acts on it meanwhile (sends it a signal, runs another
// program beside it). It has the default action for every signal, and as
// standard input a pipe that stays open until CloseInput(); the shell that
// starts it execs it, so pid() is the command's own process.
class BackgroundRun {
 public:
  BackgroundRun(const std::string& dir, const std::string& command,
                const std::vector<std::string>& args);
  ~BackgroundRun();  // kills the command if it still runs
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  pid_t pid() const { return pid_; }
  // Ends the command's standard input: what a paused tovrand_at_step
  // (testing/at_step.cc) waits for.
  void CloseInput();
  // Waits for the command to end and collects what it did.
  ProcessResult Wait();

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  std::string capture_;
};

// Waits until the directory `dir` holds a file whose name `wanted` accepts,
// made there after or before the call, for at most `seconds`. Returns its
// name, or "" when none came.
std::string WaitForFile(const std::string& dir,
                        const std::function<bool(const std::string&)>& wanted,
                        int seconds = 60);
// The same for the file `name`.
bool WaitForFile(const std::string& dir, const std::string& name);
// Waits until nothing is at `path` any more, removed before or after the
// call, for at most `seconds`. Returns whether it went.
bool WaitForRemoval(const std::string& path, int seconds = 60);

#endif  // TOVRAND_TESTING_PROCESS_H_
