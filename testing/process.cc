#include "testing/process.h"

#include <sys/wait.h>

#include <cstdlib>

#include "testing/data_builder.h"
#include "testing/scratch_dir.h"

namespace {

// Quotes a word for the shell: every byte stands for itself.
std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string ShellQuote(const std::string& word) { return Quote(word); }

std::string ProgramCommand(const std::string& built) {
  const char* command = std::getenv("TOVRAND_COMMAND");
  return command && *command ? command : Quote(built);
}

ProcessResult RunIn(const std::string& dir, const std::string& command,
                    const std::vector<std::string>& args) {
  ScratchDir capture;
  std::string line = "cd " + Quote(dir) + " && " + command;
  for (const std::string& arg : args) line += " " + Quote(arg);
  line += " </dev/null >" + Quote(capture / "out") + " 2>" +
          Quote(capture / "err");
  const int raw = std::system(line.c_str());
  ProcessResult result;
  result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = testdata::ReadFile(capture / "out");
  result.err = testdata::ReadFile(capture / "err");
  return result;
}
