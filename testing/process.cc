#include "testing/process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "testing/data_builder.h"
#include "testing/scratch_dir.h"

namespace {

// Quotes a word for the shell: every byte stands for itself.
std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The command line that runs `command` with `args` in `dir`, its output
// going to the files out and err in `capture`; `exec` makes the shell
// replace itself with the command.
std::string CommandLine(const std::string& dir, const std::string& command,
                        const std::vector<std::string>& args,
                        const std::string& capture, bool exec) {
  std::string line =
      "cd " + Quote(dir) + " && " + (exec ? "exec " : "") + command;
  for (const std::string& arg : args) line += " " + Quote(arg);
  return line + " </dev/null >" + Quote(capture + "/out") + " 2>" +
         Quote(capture + "/err");
}

void Collect(int raw, const std::string& capture, ProcessResult* result) {
  result->status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result->signal = raw != -1 && WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
  result->out = testdata::ReadFile(capture + "/out");
  result->err = testdata::ReadFile(capture + "/err");
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
  const int raw = std::system(
      CommandLine(dir, command, args, capture.path(), false).c_str());
  ProcessResult result;
  Collect(raw, capture.path(), &result);
  return result;
}

BackgroundRun::BackgroundRun(const std::string& dir, const std::string& command,
                             const std::vector<std::string>& args) {
  char pattern[] = "/tmp/tovrand-run-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  capture_ = pattern;
  const std::string line = CommandLine(dir, command, args, capture_, true);
  pid_ = fork();
  if (pid_ == 0) {
    // A test runner may have signals ignored or blocked; the command gets
    // what a program started from a terminal gets.
    for (int s = 1; s < NSIG; ++s) signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

BackgroundRun::~BackgroundRun() {
  if (pid_ > 0 && Running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &raw_status_, 0);
  }
  std::error_code ignored;
  if (!capture_.empty()) std::filesystem::remove_all(capture_, ignored);
}

bool BackgroundRun::Running() {
  if (ended_ || pid_ <= 0) return false;
  ended_ = waitpid(pid_, &raw_status_, WNOHANG) == pid_;
  return !ended_;
}

ProcessResult BackgroundRun::Wait() {
  ProcessResult result;
  if (pid_ <= 0) return result;
  if (!ended_) {
    while (waitpid(pid_, &raw_status_, 0) < 0 && errno == EINTR) {
    }
    ended_ = true;
  }
  Collect(raw_status_, capture_, &result);
  return result;
}
