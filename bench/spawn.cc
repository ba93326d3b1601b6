#include "bench/spawn.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

extern char** environ;

namespace bench {

pid_t Start(const std::string& dir, const std::vector<std::string>& argv,
            int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (out < 0) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, out, 1);
  }
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned =
      posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

Ended Wait(pid_t pid) {
  Ended ended;
  if (pid < 0) return ended;
  int status = 0;
  struct rusage usage {};
  pid_t waited = -1;
  do {
    waited = wait4(pid, &status, 0, &usage);
  } while (waited < 0 && errno == EINTR);
  ended.ok = waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  ended.max_rss_kib = waited == pid ? usage.ru_maxrss : 0;
  return ended;
}

Ended Run(const std::string& dir, const std::vector<std::string>& argv,
          int out) {
  return Wait(Start(dir, argv, out));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool ReadOptions(int argc, char** argv, bool wine, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options->quick = true;
    } else if (arg == "--runs" && i + 1 < argc) {
      options->runs = std::atoi(argv[++i]);
      if (options->runs < 1) return false;
    } else if (wine && arg == "--wine" && i + 2 < argc) {
      options->wine_script = argv[++i];
      options->wine_exe = argv[++i];
    } else if (options->data_dir.empty() && arg[0] != '-') {
      options->data_dir = arg;
    } else {
      return false;
    }
  }
  return !options->data_dir.empty();
}

std::string ProgramDir(const char* argv0) {
  std::string dir = argv0;
  dir =
      dir.find('/') == std::string::npos ? "." : dir.substr(0, dir.rfind('/'));
  char resolved[PATH_MAX];
  return realpath(dir.c_str(), resolved) == nullptr ? "" : resolved;
}

}  // namespace bench
