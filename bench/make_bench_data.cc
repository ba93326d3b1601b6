// make_bench_data: writes a large synthetic data directory for timing runs.
//   make_bench_data DIR POOLS SLOTS TEAMS
// DIR receives Tables.ini, FPools.txt, AlsTeams.txt, GETeams.txt and an empty
// Output directory: POOLS pools of SLOTS slots each, TEAMS teams a side.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_data.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::printf("Usage: make_bench_data DIR POOLS SLOTS TEAMS\n");
    return 1;
  }
  bench::DataShape shape;
  shape.pools = std::strtoll(argv[2], nullptr, 10);
  shape.slots = std::atoi(argv[3]);
  shape.teams = std::atoi(argv[4]);
  std::string error;
  if (!bench::MakeData(argv[1], shape, &error)) {
    std::printf("make_bench_data: %s\n", error.c_str());
    return 1;
  }
  std::printf("Wrote %lld pools of %d slots and %d teams a side to %s\n",
              static_cast<long long>(shape.pools), shape.slots, shape.teams,
              argv[1]);
  return 0;
}
