#ifndef TOVRAND_TESTING_PROCESS_H_
#define TOVRAND_TESTING_PROCESS_H_

#include <sys/types.h>

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
// and collects its output and exit status.
ProcessResult RunIn(const std::string& dir, const std::string& command,
                    const std::vector<std::string>& args);

// `command` with `args` started in the directory `dir` and left running,
// for a test that acts on it meanwhile (stops it, sends it a signal). It has
// no standard input and the default action for every signal; the shell
// that starts it execs it, so pid() is the command's own process.
class BackgroundRun {
 public:
  BackgroundRun(const std::string& dir, const std::string& command,
                const std::vector<std::string>& args);
  ~BackgroundRun();  // kills the command if it still runs
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  pid_t pid() const { return pid_; }
  // Whether the command has not ended yet.
  bool Running();
  // Waits for the command to end and collects what it did.
  ProcessResult Wait();

 private:
  pid_t pid_ = -1;
  int raw_status_ = 0;
  bool ended_ = false;
  std::string capture_;
};

#endif  // TOVRAND_TESTING_PROCESS_H_
