#ifndef TOVRAND_BENCH_SPAWN_H_
#define TOVRAND_BENCH_SPAWN_H_

// What the benchmarks share to run the programs they time: starting one in
// a directory with its standard output where the benchmark wants it,
// waiting for it with its peak memory, and the median of the times. POSIX
// only.

#include <sys/types.h>

#include <string>
#include <vector>

namespace bench {

// How a program ended.
struct Ended {
  bool ok = false;       // it started and exited with status 0
  long max_rss_kib = 0;  // its peak resident memory (ru_maxrss), in KiB
};

// Starts `argv` (argv[0] looked up in PATH, as the shell would) in the
// directory `dir`, with standard input from /dev/null, standard output to
// the descriptor `out` (which stays the caller's) or to /dev/null when `out`
// is -1, and the caller's standard error. Returns the process id, or -1 when
// it could not start.
pid_t Start(const std::string& dir, const std::vector<std::string>& argv,
            int out = -1);

// Waits for `pid`, a process that Start began (-1: one that did not start).
Ended Wait(pid_t pid);

// Start, then Wait.
Ended Run(const std::string& dir, const std::vector<std::string>& argv,
          int out = -1);

// The median of `values`, which holds one or more.
double Median(std::vector<double> values);

// A benchmark's command line: [--quick] [--runs N] [--wine SCRIPT EXE]
// DATA_DIR. `runs` is 0 when not given.
struct Options {
  bool quick = false;
  int runs = 0;
  std::string wine_script, wine_exe;
  std::string data_dir;
};

// Reads the command line into `options`, --wine only when `wine` allows it.
// False when it is not one: an unknown or repeated word, --runs below 1,
// no DATA_DIR.
bool ReadOptions(int argc, char** argv, bool wine, Options* options);

// The directory of the running program, resolved from its `argv0`: where
// the programs it times are built. "" when it cannot be resolved.
std::string ProgramDir(const char* argv0);

}  // namespace bench

#endif  // TOVRAND_BENCH_SPAWN_H_
