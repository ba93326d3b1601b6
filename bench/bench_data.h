#ifndef TOVRAND_BENCH_BENCH_DATA_H_
#define TOVRAND_BENCH_BENCH_DATA_H_

#include <cstdint>
#include <string>

namespace bench {

// The size of a synthetic data directory.
struct DataShape {
  int64_t pools = 400;
  int slots = 16;   // per pool, 1 to 19; the next slot's class ends the pool
  int teams = 600;  // per side, 1 to 32768
  uint32_t seed = 1;
};

// Writes Tables.ini, FPools.txt, AlsTeams.txt, GETeams.txt and an empty
// Output directory into `dir` (created when missing), in the standard
// layout of the tests. The data is well-formed and a run on it succeeds for
// either side with percentages up to 100: every slot's class is in its
// side's team table, classes are a shuffle of 0 .. teams-1 so that the
// slots resolve all over the table, types cover every code, and pools mix
// both sides, date 0 and other dates, and a few kept names. The same shape
// gives the same bytes. Returns false with `error` set on a bad shape or a
// failed write.
bool MakeData(const std::string& dir, const DataShape& shape,
              std::string* error);

// The bytes a run reads: the three data files and Tables.ini.
int64_t InputBytes(const DataShape& shape);

}  // namespace bench

#endif  // TOVRAND_BENCH_BENCH_DATA_H_
