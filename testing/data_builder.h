#ifndef TOVRAND_TESTING_DATA_BUILDER_H_
#define TOVRAND_TESTING_DATA_BUILDER_H_

// Builds layouts and data files for tests and for the sample data, in the
// column layout that StandardLayout() describes.

#include <cstdint>
#include <string>
#include <vector>

#include "testing/files.h"  // WriteFile and ReadFile, for the data files

namespace testdata {

// Offsets in the standard layout.
constexpr int kPoolSize = 424;
constexpr int kPoolNameWidth = 40;
constexpr int kPoolNationality = 40;
constexpr int kPoolDate = 42;
constexpr int kPoolFirstSlot = 44;  // Team Class 1; Quantity 1 follows it
constexpr int kPoolSlots = 20;
constexpr int kTeamSize = 260;
constexpr int kTeamNameWidth = 40;
constexpr int kTeamClass = 40;
constexpr int kTeamType = 42;

// Offset of `Team Class k` and `Quantity k` (k from 1) in a pool record.
constexpr int TeamClassOffset(int k) { return kPoolFirstSlot + 4 * (k - 1); }
constexpr int QuantityOffset(int k) { return TeamClassOffset(k) + 2; }

struct Slot {
  int team_class;
  int quantity;
};

struct Pool {
  std::string name;
  int nationality = 1;
  int date = 0;
  // Slots from 1 on. The slots after them hold class -1 and quantity 0, so
  // a pool of fewer than kPoolSlots slots ends there.
  std::vector<Slot> slots;
};

struct Team {
  std::string name;
  int team_class = 0;
  int type = 0;
};

// A small data set, that of a fresh Workspace: German pools of date 0 and 1943, a
// German side pool that is never scaled, Allied pools of date 0 and 1944,
// and three teams a side (a tank, an infantry team and one of neither
// category, apart from the Allied Jeep, which counts as a tank).
extern const std::vector<Pool> kPools;
extern const std::vector<Team> kGermanTeams;
extern const std::vector<Team> kAlliedTeams;

// A Tables.ini with the four sections of the standard layout, CRLF line
// ends and a few comments, as modders' files look.
std::string StandardLayout();

// The bytes of a data file of these records.
std::string PoolRecords(const std::vector<Pool>& pools);
std::string TeamRecords(const std::vector<Team>& teams);

// Little-endian field access on a data file's bytes.
void PutWord(std::string* bytes, size_t offset, int value);
int GetWord(const std::string& bytes, size_t offset);

}  // namespace testdata

#endif  // TOVRAND_TESTING_DATA_BUILDER_H_
