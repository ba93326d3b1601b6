// tovdiff_bench: times tovdiff's report written to a regular file, to
// /dev/null (a character device) and to a terminal, and checks that neither
// of the last two takes more than twice as long as the file.
//   tovdiff_bench [--quick] [--runs N] [--wine SCRIPT EXE] DATA_DIR
// For each of two data sets it makes (into DATA_DIR/<name>: bench_data.h,
// then `tovrand g 100 80 50 60` there, so that tovdiff reports about 100,000
// and 1,000,000 lines), it runs tovdiff with no arguments in that directory
// with its standard output to each destination in turn, several times, and
// reports the median wall time and the peak memory of each. The terminal is
// a pseudo-terminal whose other side this program reads all the while, so
// the report never waits for a reader. A row of its own times cat of the
// native report to the same terminal: the terminal's own cost.
// With --wine, SCRIPT is a build's Wine wrapper (testing/wine.sh.in) and EXE
// a Windows tovdiff.exe: the same runs of `SCRIPT exec EXE` are rows of
// their own, between `SCRIPT start` and `SCRIPT stop`. Under Wine the
// terminal is a Windows console to the program, and /dev/null a character
// device, as NUL is.
// Exits 1 when a run fails or, unless --quick, when a ratio exceeds 2.0.
// --quick runs tiny sets once each, to check that the benchmark itself
// works.

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_data.h"
#include "bench/spawn.h"

namespace {

constexpr double kLimit = 2.0;  // device or terminal time / file time

// A pseudo-terminal: a program's standard output goes to its slave side,
// and a thread reads its master side and throws the bytes away for as long
// as the program runs, as a terminal window would show them. This program
// holds the slave side open too, so the master side never reads as ended:
// the reader stops once told the program has ended and nothing more comes.
class Terminal {
 public:
  Terminal() = default;
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;
  ~Terminal() {
    Finish();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }

  // Opens both sides, 80 columns by 24 lines, and starts reading. False
  // when the system has no pseudo-terminal to give.
  bool Open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
      return false;
    const char* name = ptsname(master_);
    if (name == nullptr) return false;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return false;
    struct winsize size {};
    size.ws_row = 24;
    size.ws_col = 80;
    ioctl(slave_, TIOCSWINSZ, &size);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    reader_ = std::thread([this] { Drain(); });
    return true;
  }

  int slave() const { return slave_; }

  // Once the program has ended: reads what is left, stops reading and
  // returns the number of bytes read.
  int64_t Finish() {
    done_ = true;
    if (reader_.joinable()) reader_.join();
    return bytes_;
  }

 private:
  void Drain() {
    char buffer[65536];
    pollfd ready{master_, POLLIN, 0};
    for (;;) {
      // Once done, a quiet spell means that everything has been read.
      const int polled = poll(&ready, 1, 20);
      if (polled == 0 && done_) return;
      if (polled <= 0) continue;
      const ssize_t got = read(master_, buffer, sizeof buffer);
      if (got > 0) {
        bytes_ += got;
      } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        return;
      }
    }
  }

  int master_ = -1;
  int slave_ = -1;
  std::thread reader_;
  std::atomic<bool> done_{false};
  int64_t bytes_ = 0;  // the reader's until Finish
};

enum Destination { kFile, kDevice, kTerminal, kDestinations };
const char* const kDestinationNames[kDestinations] = {"file", "/dev/null",
                                                      "terminal"};

struct Sample {
  double seconds = 0;
  long max_rss_kib = 0;
  bool ok = false;
  int64_t terminal_bytes = 0;  // what the terminal received
};

// The bytes of `path` and the lines in them; -1 for both when it cannot be
// read.
void CountLines(const std::string& path, int64_t* bytes, int64_t* lines) {
  *bytes = -1;
  *lines = -1;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  *bytes = 0;
  *lines = 0;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    *bytes += static_cast<int64_t>(got);
    for (size_t i = 0; i < got; ++i) *lines += buffer[i] == '\n';
  }
  std::fclose(file);
}

// Reads the inputs of a run in `dir` through, so that every run finds them
// in the page cache, as a run right after another does. The project's
// machines drop cached pages unread for a few seconds: a run after a long
// one (tovdiff.exe to a terminal) would otherwise read part of its inputs
// from the disk again, half a second more on the large set.
void ReadInputs(const std::string& dir) {
  for (const char* name : {"Tables.ini", "FPools.txt", "Output/FPools.txt",
                           "AlsTeams.txt", "GETeams.txt"}) {
    int64_t bytes = 0, lines = 0;
    CountLines(dir + "/" + name, &bytes, &lines);
  }
}

// One run of `argv` in `dir` with its standard output to `where`; `file` is
// the regular file to write. The inputs and the destination are made ready
// before the clock starts: the inputs read, the file created empty, the
// terminal being read.
Sample RunTo(Destination where, const std::string& dir,
             const std::vector<std::string>& argv, const std::string& file) {
  Sample sample;
  ReadInputs(dir);
  Terminal terminal;
  int out = -1;
  if (where == kFile) {
    out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  } else if (where == kDevice) {
    out = open("/dev/null", O_WRONLY | O_CLOEXEC);
  } else if (terminal.Open()) {
    out = terminal.slave();
  }
  if (out < 0) {
    std::printf("cannot open the %s for the report\n",
                kDestinationNames[where]);
    return sample;
  }
  const auto start = std::chrono::steady_clock::now();
  const bench::Ended ended = bench::Run(dir, argv, out);
  sample.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  if (where != kTerminal) close(out);
  sample.terminal_bytes = terminal.Finish();
  sample.ok = ended.ok;
  sample.max_rss_kib = ended.max_rss_kib;
  if (!ended.ok)
    std::printf("failed: %s to the %s in %s\n", argv.back().c_str(),
                kDestinationNames[where], dir.c_str());
  return sample;
}

// A build of tovdiff: the native program, or the Windows one under Wine.
struct Build {
  std::string name;
  std::vector<std::string> argv;
};

struct Row {
  double seconds = 0;                  // median
  long max_rss_kib = 0;                // the largest of the runs
  int64_t terminal_bytes = INT64_MAX;  // the fewest of the runs
};

struct DataSet {
  const char* name;
  bench::DataShape shape;
};

// The terminal's own cost: cat of the native report to the terminal, `runs`
// times after a first run unmeasured (none in a quick run).
Row TerminalFloor(const std::string& dir, int runs, bool quick, bool* ok) {
  Row row;
  std::vector<double> seconds;
  for (int run = quick ? 0 : -1; run < runs; ++run) {
    const Sample sample =
        RunTo(kTerminal, dir, {"cat", "report-native.txt"}, "");
    *ok &= sample.ok;
    if (run >= 0) seconds.push_back(sample.seconds);
    row.max_rss_kib = std::max(row.max_rss_kib, sample.max_rss_kib);
  }
  row.seconds = bench::Median(seconds);
  return row;
}

// bench::MakeData in a child process of its own. A program this one starts
// begins in this one's memory (posix_spawn shares it until the exec), so
// its peak memory (ru_maxrss) counts this program's peak too: made here, the
// data sets' builders would put a floor of some 30 MiB under every figure.
bool MakeDataApart(const std::string& dir, const bench::DataShape& shape) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    std::string error;
    const bool made = bench::MakeData(dir, shape, &error);
    if (!made) std::printf("cannot make %s: %s\n", dir.c_str(), error.c_str());
    std::fflush(stdout);
    _exit(made ? 0 : 1);
  }
  return pid > 0 && bench::Wait(pid).ok;
}

// Makes each data set, times each build to each destination, prints the
// table and the ratios. Returns the exit status.
int Measure(const std::string& data_dir, const std::string& bin_dir,
            const std::vector<Build>& builds, int runs, bool quick) {
  // pools, slots, teams a side, seed: about 3.3 report lines a pool.
  const std::vector<DataSet> sets =
      quick ? std::vector<DataSet>{{"small", {300, 16, 600, 1}},
                                   {"large", {3000, 16, 600, 1}}}
            : std::vector<DataSet>{{"small", {30400, 16, 32000, 1}},
                                   {"large", {304000, 16, 32000, 1}}};
  bool ok = true;
  std::printf("%-6s %-7s %12s %9s %-10s %5s %10s %9s %10s\n", "size", "build",
              "FPools B", "lines", "to", "runs", "median ms", "peak MiB",
              "peak/2xFP");
  struct Ratio {
    std::string what;
    double value;
  };
  std::vector<Ratio> ratios;
  for (const DataSet& set : sets) {
    const std::string dir = data_dir + "/" + set.name;
    if (!MakeDataApart(dir, set.shape)) return 1;
    if (!bench::Run(dir, {bin_dir + "/tovrand", "g", "100", "80", "50", "60"})
             .ok) {
      std::printf("failed: tovrand in %s\n", dir.c_str());
      return 1;
    }
    int64_t fpools_bytes = 0, unused = 0;
    CountLines(dir + "/FPools.txt", &fpools_bytes, &unused);

    // Each build in a series of its own: its three destinations in a
    // rotating order, after a first round unmeasured (except in a quick
    // run) that leaves the report file in place. Interleaved with the
    // other build's long runs, a run would often start some seconds after
    // the last one ended, which on the project's machines costs it more
    // than the destinations differ (up to 0.6 s on the large set, its
    // inputs cached, as if its memory were faulted in afresh).
    std::vector<Row> rows(builds.size() * kDestinations);
    Row floor;
    for (size_t b = 0; b < builds.size(); ++b) {
      Row* row = &rows[b * kDestinations];  // by destination
      const std::string file = dir + "/report-" + builds[b].name + ".txt";
      if (!quick)
        for (int d = 0; d < kDestinations; ++d)
          ok &=
              RunTo(static_cast<Destination>(d), dir, builds[b].argv, file).ok;
      std::vector<double> seconds[kDestinations];
      for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < kDestinations; ++i) {
          const int d = (i + run) % kDestinations;
          const Sample sample =
              RunTo(static_cast<Destination>(d), dir, builds[b].argv, file);
          ok &= sample.ok;
          seconds[d].push_back(sample.seconds);
          row[d].max_rss_kib = std::max(row[d].max_rss_kib, sample.max_rss_kib);
          row[d].terminal_bytes =
              std::min(row[d].terminal_bytes, sample.terminal_bytes);
        }
      }
      for (int d = 0; d < kDestinations; ++d)
        row[d].seconds = bench::Median(seconds[d]);
      if (b == 0) floor = TerminalFloor(dir, runs, quick, &ok);
    }
    int64_t first_lines = -1;
    for (size_t b = 0; b < builds.size(); ++b) {
      const Row* row = &rows[b * kDestinations];  // by destination
      int64_t report_bytes = 0, lines = 0;
      CountLines(dir + "/report-" + builds[b].name + ".txt", &report_bytes,
                 &lines);
      if (b == 0) first_lines = lines;
      if (lines != first_lines || lines < 6) {
        std::printf("%s %s: the report has %lld lines, not %lld\n", set.name,
                    builds[b].name.c_str(), static_cast<long long>(lines),
                    static_cast<long long>(first_lines));
        ok = false;
      }
      // The whole report reached the terminal: at least the file's bytes.
      if (row[kTerminal].terminal_bytes < report_bytes) {
        std::printf("%s %s: the terminal got %lld bytes of %lld\n", set.name,
                    builds[b].name.c_str(),
                    static_cast<long long>(row[kTerminal].terminal_bytes),
                    static_cast<long long>(report_bytes));
        ok = false;
      }
      for (int d = 0; d < kDestinations; ++d) {
        std::printf("%-6s %-7s %12lld %9lld %-10s %5d %10.1f %9.1f %10.2f\n",
                    set.name, builds[b].name.c_str(),
                    static_cast<long long>(fpools_bytes),
                    static_cast<long long>(lines), kDestinationNames[d], runs,
                    row[d].seconds * 1e3, row[d].max_rss_kib / 1024.0,
                    row[d].max_rss_kib * 1024.0 / (2.0 * fpools_bytes));
      }
      if (b == 0) {
        std::printf("%-6s %-7s %12lld %9lld %-10s %5d %10.1f %9.1f\n", set.name,
                    "cat", static_cast<long long>(fpools_bytes),
                    static_cast<long long>(lines), "terminal", runs,
                    floor.seconds * 1e3, floor.max_rss_kib / 1024.0);
      }
      const std::string what = std::string(set.name) + " " + builds[b].name;
      ratios.push_back({what + ": /dev/null / file",
                        row[kDevice].seconds / row[kFile].seconds});
      ratios.push_back({what + ": terminal / file",
                        row[kTerminal].seconds / row[kFile].seconds});
    }
  }
  std::printf(
      "cat rows: cat of the native report to the terminal, the terminal's "
      "own cost\n");
  if (builds.size() > 1)
    std::printf(
        "wine rows: the time and peak memory of the Wine process that runs "
        "tovdiff.exe, Wine's own included\n");

  std::printf("\n%-34s %8s %8s\n", "ratio", "measured", quick ? "" : "limit");
  for (const Ratio& ratio : ratios) {
    const bool met = ratio.value <= kLimit;
    if (!quick) ok &= met;
    std::printf("%-34s %8.2f", ratio.what.c_str(), ratio.value);
    if (quick) {
      std::printf("\n");
    } else {
      std::printf(" %8.1f  %s\n", kLimit, met ? "met" : "MISSED");
    }
  }
  return ok ? 0 : 1;
}

int Usage() {
  std::printf(
      "Usage: tovdiff_bench [--quick] [--runs N] [--wine SCRIPT EXE] "
      "DATA_DIR\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options;
  if (!bench::ReadOptions(argc, argv, true, &options)) return Usage();
  const bool quick = options.quick;
  const int runs = quick ? 1 : options.runs > 0 ? options.runs : 5;
  const std::string& data_dir = options.data_dir;
  const std::string& wine_script = options.wine_script;
  const std::string& wine_exe = options.wine_exe;
  // tovrand and tovdiff are built beside this program.
  const std::string bin_dir = bench::ProgramDir(argv[0]);
  if (bin_dir.empty()) return Usage();
  std::vector<Build> builds = {{"native", {bin_dir + "/tovdiff"}}};
  if (wine_script.empty())
    return Measure(data_dir, bin_dir, builds, runs, quick);

  // The runs start in the data directories: the script and the program by
  // their full paths.
  char script[PATH_MAX], exe[PATH_MAX];
  if (realpath(wine_script.c_str(), script) == nullptr ||
      realpath(wine_exe.c_str(), exe) == nullptr) {
    std::printf("no such file: %s or %s\n", wine_script.c_str(),
                wine_exe.c_str());
    return 1;
  }
  builds.push_back({"wine", {script, "exec", exe}});
  if (!bench::Run(".", {script, "start"}).ok) {
    std::printf("failed: %s start\n", script);
    bench::Run(".", {script, "stop"});
    return 1;
  }
  const int status = Measure(data_dir, bin_dir, builds, runs, quick);
  if (!bench::Run(".", {script, "stop"}).ok) {
    std::printf("failed: %s stop\n", script);
    return 1;
  }
  return status;
}
