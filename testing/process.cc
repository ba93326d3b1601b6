#include "testing/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
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
// going to the files out and err in `capture`, or standard output to
// `output` when given (kInherited: the shell's own); in the background
// (`exec`), the shell replaces itself with the command, and the command
// keeps the shell's standard input.
constexpr char kInherited[] = "-";
std::string CommandLine(const std::string& dir, const std::string& command,
                        const std::vector<std::string>& args,
                        const std::string& capture, bool exec,
                        const std::string& output = "") {
  std::string line =
      "cd " + Quote(dir) + " && " + (exec ? "exec " : "") + command;
  for (const std::string& arg : args) line += " " + Quote(arg);
  line += exec ? "" : " </dev/null";
  if (output != kInherited)
    line += " >" + Quote(output.empty() ? capture + "/out" : output);
  return line + " 2>" + Quote(capture + "/err");
}

void Collect(int raw, const std::string& capture, ProcessResult* result) {
  result->status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result->signal = raw != -1 && WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
  if (std::filesystem::exists(capture + "/out"))
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
                    const std::vector<std::string>& args,
                    const std::string& output) {
  ScratchDir capture;
  const int raw = std::system(
      CommandLine(dir, command, args, capture.path(), false, output).c_str());
  ProcessResult result;
  Collect(raw, capture.path(), &result);
  return result;
}

ProcessResult RunIntoClosedPipe(const std::string& dir,
                                const std::string& command,
                                const std::vector<std::string>& args) {
  ScratchDir capture;
  const std::string piped =
      CommandLine(dir, command, args, capture.path(), false, kInherited);
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return ProcessResult();
  // The reader goes before the program starts: closed only after the fork,
  // a parent the system is slow to run could still hold it open while a
  // short report fits in the pipe.
  close(pipe_ends[0]);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_ends[1], STDOUT_FILENO);
    signal(SIGPIPE, SIG_DFL);
    execl("/bin/sh", "sh", "-c", piped.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_ends[1]);
  int raw = -1;
  if (pid < 0 || waitpid(pid, &raw, 0) != pid) raw = -1;
  ProcessResult result;
  Collect(raw, capture.path(), &result);
  return result;
}

BackgroundRun::BackgroundRun(const std::string& dir, const std::string& command,
                             const std::vector<std::string>& args) {
  char pattern[] = "/tmp/tovrand-run-XXXXXX";
  int input[2];
  if (mkdtemp(pattern) == nullptr || pipe2(input, O_CLOEXEC) != 0) return;
  capture_ = pattern;
  input_ = input[1];
  const std::string line = CommandLine(dir, command, args, capture_, true);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(input[0], STDIN_FILENO);
    // A test runner may have signals ignored or blocked; the command gets
    // what a program started from a terminal gets.
    for (int s = 1; s < NSIG; ++s) signal(s, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
}

BackgroundRun::~BackgroundRun() {
  CloseInput();
  if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  if (!capture_.empty()) std::filesystem::remove_all(capture_, ignored);
}

void BackgroundRun::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

ProcessResult BackgroundRun::Wait() {
  ProcessResult result;
  if (pid_ <= 0) return result;
  int raw = -1;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  Collect(raw, capture_, &result);
  return result;
}

std::string WaitForFile(const std::string& dir,
                        const std::function<bool(const std::string&)>& wanted,
                        int seconds) {
  const int watch = inotify_init1(IN_CLOEXEC);
  if (watch < 0 ||
      inotify_add_watch(watch, dir.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
    return "";
  std::string found;
  // Made before the watch began: already listed.
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (found.empty() && wanted(entry.path().filename().string()))
      found = entry.path().filename().string();
  }
  struct pollfd ready = {watch, POLLIN, 0};
  while (found.empty() && poll(&ready, 1, seconds * 1000) > 0) {
    alignas(inotify_event) char events[4096];
    const ssize_t got = read(watch, events, sizeof events);
    for (ssize_t at = 0; got > 0 && at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (found.empty() && event->len > 0 && wanted(event->name))
        found = event->name;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  close(watch);
  return found;
}

bool WaitForRemoval(const std::string& path, int seconds) {
  const std::filesystem::path file(path);
  const std::string dir = file.parent_path().string();
  const std::string name = file.filename().string();
  const int watch = inotify_init1(IN_CLOEXEC);
  if (watch < 0 ||
      inotify_add_watch(watch, dir.c_str(), IN_DELETE | IN_MOVED_FROM) < 0)
    return false;
  std::error_code error;
  bool gone = !std::filesystem::exists(std::filesystem::symlink_status(path, error));
  struct pollfd ready = {watch, POLLIN, 0};
  while (!gone && poll(&ready, 1, seconds * 1000) > 0) {
    alignas(inotify_event) char events[4096];
    const ssize_t got = read(watch, events, sizeof events);
    for (ssize_t at = 0; got > 0 && at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->len > 0 && name == event->name) gone = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  close(watch);
  return gone;
}

bool WaitForFile(const std::string& dir, const std::string& name) {
  return !WaitForFile(dir, [&](const std::string& n) {
            return n == name;
          }).empty();
}
