// tovrand_bench: times tovrand against two floors on synthetic data sets and
// checks the performance targets.
//   tovrand_bench [--quick] [--runs N] DATA_DIR
// For each data set it generates (into DATA_DIR/<name>), the three commands
// run interleaved, in a rotating order, several times, and the median wall
// time of each is reported:
//   tovrand       tovrand g 100 80 50 60
//   memory floor  memory_floor: the three inputs read whole into memory and
//                 FPools written to Output through a temporary file, synced,
//                 renamed into place, and the folder synced; the least a
//                 whole-file record table can do
//   copy floor    cat of the team files, cp of FPools.txt to a temporary
//                 file in Output, sync of that file, mv over
//                 Output/FPools.txt, sync of Output; the I/O limit
// Both floors make the output reach the disk as tovrand does: the file's
// bytes before the rename, the rename after it.
// Exits 1 when a target is missed or a command fails. --quick runs small
// sets once each, to check that the benchmark itself works.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "bench/spawn.h"

namespace {

struct Command {
  std::vector<std::string> argv;
  bool quiet = false;  // standard output to /dev/null
};

struct Sample {
  double seconds = 0;
  long max_rss_kib = 0;  // of the largest process of the step
  bool ok = true;
};

// Runs the commands one after the other in `dir`, as one timed step.
Sample RunStep(const std::string& dir, const std::vector<Command>& commands) {
  Sample sample;
  const auto start = std::chrono::steady_clock::now();
  for (const Command& command : commands) {
    const bench::Ended ended = bench::Run(dir, command.argv);
    if (!ended.ok) {
      std::printf("failed: %s in %s\n", command.argv[0].c_str(), dir.c_str());
      sample.ok = false;
    }
    sample.max_rss_kib = std::max(sample.max_rss_kib, ended.max_rss_kib);
  }
  sample.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  return sample;
}

struct Timings {
  double tovrand = 0, memory_floor = 0, copy_floor = 0;  // medians, seconds
  long tovrand_rss_kib = 0;                              // the largest
  int64_t input_bytes = 0;
  bool ok = true;
};

Timings Measure(const std::string& dir, const std::string& bin_dir, int runs) {
  const std::vector<std::vector<Command>> steps = {
      {{{bin_dir + "/tovrand", "g", "100", "80", "50", "60"}}},
      {{{bin_dir + "/memory_floor"}}},
      {{{"cat", "AlsTeams.txt", "GETeams.txt"}},
       {{"cp", "FPools.txt", "Output/FPools.txt.copy"}},
       {{"sync", "Output/FPools.txt.copy"}},
       {{"mv", "Output/FPools.txt.copy", "Output/FPools.txt"}},
       {{"sync", "Output"}}},
  };
  Timings timings;
  // A first round unmeasured: the files in the page cache, Output/FPools.txt
  // in place, so every measured run replaces an existing file.
  for (const auto& step : steps) timings.ok &= RunStep(dir, step).ok;
  std::vector<double> seconds[3];
  for (int run = 0; run < runs; ++run) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const size_t which = (i + static_cast<size_t>(run)) % steps.size();
      const Sample sample = RunStep(dir, steps[which]);
      timings.ok &= sample.ok;
      seconds[which].push_back(sample.seconds);
      if (which == 0)
        timings.tovrand_rss_kib =
            std::max(timings.tovrand_rss_kib, sample.max_rss_kib);
    }
  }
  timings.tovrand = bench::Median(seconds[0]);
  timings.memory_floor = bench::Median(seconds[1]);
  timings.copy_floor = bench::Median(seconds[2]);
  return timings;
}

struct DataSet {
  const char* name;
  bench::DataShape shape;
  int runs;
};

int Usage() {
  std::printf("Usage: tovrand_bench [--quick] [--runs N] DATA_DIR\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  bench::Options options;
  if (!bench::ReadOptions(argc, argv, false, &options)) return Usage();
  const bool quick = options.quick;
  const int runs = options.runs;
  const std::string& data_dir = options.data_dir;
  // tovrand and memory_floor are built beside this program.
  const std::string bin_dir = bench::ProgramDir(argv[0]);
  if (bin_dir.empty()) return Usage();

  // pools, slots, teams a side; seed 1.
  const int64_t large = quick ? 2500 : 250000;
  const std::vector<DataSet> sets = {
      {"game", {400, 16, 600, 1}, quick ? 1 : (runs ? runs : 51)},
      {"large", {large, 16, 32000, 1}, quick ? 1 : (runs ? runs : 11)},
      {"double", {2 * large, 16, 32000, 1}, quick ? 1 : (runs ? runs : 11)},
  };
  std::vector<Timings> results;
  bool ok = true;
  std::printf("%-8s %10s %8s %6s %12s %12s %12s %10s\n", "data set", "pools",
              "teams", "runs", "tovrand ms", "memory ms", "copy ms",
              "peak MiB");
  for (const DataSet& set : sets) {
    const std::string dir = data_dir + "/" + set.name;
    std::string error;
    if (!bench::MakeData(dir, set.shape, &error)) {
      std::printf("cannot make %s: %s\n", dir.c_str(), error.c_str());
      return 1;
    }
    Timings t = Measure(dir, bin_dir, set.runs);
    t.input_bytes = bench::InputBytes(set.shape);
    ok &= t.ok;
    std::printf("%-8s %10lld %8d %6d %12.2f %12.2f %12.2f %10.1f\n", set.name,
                static_cast<long long>(set.shape.pools), set.shape.teams,
                set.runs, t.tovrand * 1e3, t.memory_floor * 1e3,
                t.copy_floor * 1e3, t.tovrand_rss_kib / 1024.0);
    results.push_back(t);
  }
  if (!ok) return 1;
  if (quick) return 0;

  const Timings& game = results[0];
  const Timings& big = results[1];
  const Timings& twice = results[2];
  struct Target {
    const char* what;
    double value;
    double limit;
  } targets[] = {
      {"large: tovrand / memory floor", big.tovrand / big.memory_floor, 1.25},
      {"large: tovrand / copy floor", big.tovrand / big.copy_floor, 1.15},
      {"game: tovrand / copy floor", game.tovrand / game.copy_floor, 1.0},
      {"double / large: tovrand time", twice.tovrand / big.tovrand, 2.2},
      {"large: peak memory / input size",
       big.tovrand_rss_kib * 1024.0 / static_cast<double>(big.input_bytes),
       1.2},
  };
  std::printf("\n%-34s %8s %8s\n", "target", "measured", "limit");
  for (const Target& target : targets) {
    const bool met = target.value <= target.limit;
    ok &= met;
    std::printf("%-34s %8.3f %8.2f  %s\n", target.what, target.value,
                target.limit, met ? "met" : "MISSED");
  }
  return ok ? 0 : 1;
}
