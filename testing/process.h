#ifndef TOVRAND_TESTING_PROCESS_H_
#define TOVRAND_TESTING_PROCESS_H_

#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;  // exit status, or -1 when the program did not exit
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
};

// Quotes a word for the shell: every byte stands for itself.
std::string ShellQuote(const std::string& word);

// The command that starts the program under test: the environment variable
// TOVRAND_COMMAND when it is set (for example a wrapper that runs another
// build of it), otherwise `built` (the executable of this build).
std::string ProgramCommand(const std::string& built);

// Runs `command` with `args` in the directory `dir`, with no standard input,
// and collects its output and exit status.
ProcessResult RunIn(const std::string& dir, const std::string& command,
                    const std::vector<std::string>& args);

#endif  // TOVRAND_TESTING_PROCESS_H_
