#include "bench/bench_data.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "testing/data_builder.h"
#include "testing/lcg.h"

namespace bench {

namespace {

using testdata::Lcg;

constexpr int kTypeCodes = 39;  // 0 to 38
constexpr int64_t kPoolsPerBatch = 4096;

// One side's team table: record r has class classes[r], a shuffle of
// 0 .. teams-1, so a class drawn at random lands anywhere in the table.
std::vector<testdata::Team> MakeTeams(int teams, const char* prefix,
                                      Lcg* lcg) {
  std::vector<int> classes(static_cast<size_t>(teams));
  for (int r = 0; r < teams; ++r) classes[static_cast<size_t>(r)] = r;
  for (int r = teams - 1; r > 0; --r)
    std::swap(classes[static_cast<size_t>(r)],
              classes[static_cast<size_t>(lcg->Below(r + 1))]);
  std::vector<testdata::Team> records;
  records.reserve(static_cast<size_t>(teams));
  for (int r = 0; r < teams; ++r) {
    records.push_back(testdata::Team{prefix + std::to_string(r),
                                     classes[static_cast<size_t>(r)],
                                     lcg->Below(kTypeCodes)});
  }
  return records;
}

testdata::Pool MakePool(int64_t index, const DataShape& shape, Lcg* lcg) {
  testdata::Pool pool;
  pool.nationality = lcg->Below(2);
  // About one pool in fifty is one of the game's own side pools, which a
  // run passes over.
  const bool kept = lcg->Below(50) == 0;
  const char* name = kept ? (pool.nationality == 0 ? "Allied Reserve "
                                                   : "German Reserve ")
                          : (pool.nationality == 0 ? "Rifle Company "
                                                   : "Grenadier Company ");
  pool.name = name + std::to_string(index);
  pool.date = lcg->Below(4) == 0 ? 0 : 1939 + lcg->Below(7);
  for (int k = 0; k < shape.slots; ++k) {
    const int quantity = lcg->Below(8) == 0 ? 0 : 1 + lcg->Below(20);
    pool.slots.push_back(testdata::Slot{lcg->Below(shape.teams), quantity});
  }
  return pool;
}

bool Write(std::FILE* file, const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// Creates the file `path` and fills it with `fill`, which writes to it and
// says whether every write succeeded; sets `error` on any failure.
template <typename Fill>
bool WriteFile(const std::string& path, Fill fill, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const bool ok = file != nullptr && fill(file);
  if (file == nullptr || std::fclose(file) != 0 || !ok) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

int64_t InputBytes(const DataShape& shape) {
  return shape.pools * testdata::kPoolSize +
         2 * static_cast<int64_t>(shape.teams) * testdata::kTeamSize +
         static_cast<int64_t>(testdata::StandardLayout().size());
}

bool MakeData(const std::string& dir, const DataShape& shape,
              std::string* error) {
  // The slot after the last holds a negative class, which ends the pool.
  if (shape.pools < 0 || shape.slots < 1 ||
      shape.slots >= testdata::kPoolSlots || shape.teams < 1 ||
      shape.teams > 32768) {
    *error = "pools must be 0 or more, slots 1 to " +
             std::to_string(testdata::kPoolSlots - 1) + ", teams 1 to 32768";
    return false;
  }
  std::error_code fs_error;
  std::filesystem::create_directories(dir + "/Output", fs_error);
  if (fs_error) {
    *error = "cannot create " + dir + "/Output: " + fs_error.message();
    return false;
  }
  Lcg lcg(shape.seed);
  const std::pair<const char*, std::string> files[] = {
      {"Tables.ini", testdata::StandardLayout()},
      {"AlsTeams.txt",
       testdata::TeamRecords(MakeTeams(shape.teams, "Allied Team ", &lcg))},
      {"GETeams.txt",
       testdata::TeamRecords(MakeTeams(shape.teams, "German Team ", &lcg))},
  };
  for (const auto& [name, bytes] : files) {
    const std::string& contents = bytes;
    if (!WriteFile(dir + "/" + name,
                   [&](std::FILE* file) { return Write(file, contents); },
                   error)) {
      return false;
    }
  }

  // FPools a batch of pools at a time, so a large file is never held whole.
  return WriteFile(
      dir + "/FPools.txt",
      [&](std::FILE* file) {
        for (int64_t first = 0; first < shape.pools; first += kPoolsPerBatch) {
          std::vector<testdata::Pool> batch;
          for (int64_t i = first; i < shape.pools && i < first + kPoolsPerBatch;
               ++i)
            batch.push_back(MakePool(i, shape, &lcg));
          if (!Write(file, testdata::PoolRecords(batch))) return false;
        }
        return true;
      },
      error);
}

}  // namespace bench
