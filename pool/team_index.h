#ifndef TOVRAND_POOL_TEAM_INDEX_H_
#define TOVRAND_POOL_TEAM_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "pool/sides.h"
#include "table/game_tables.h"
#include "table/record_table.h"

namespace tovrand {

// The classes a slot can name: 0 to 32767 (a negative class ends a pool).
constexpr int kTeamClasses = 32768;

// A team table (AlsTeams or GETeams) with the team of each class found once:
// the first record whose `Class` is that class, reading `Class` of records
// 0, 1, ... in order. When a `Class` cannot be read the search stops there:
// a class not found by then fails with that read, not as missing.
class TeamIndex {
 public:
  explicit TeamIndex(const RecordTable& teams);

  // The first record of `team_class`, or -1 when no record before the end
  // of the search has it (any class outside 0 to 32767 included).
  int RecordOf(int team_class) const {
    return team_class >= 0 && team_class < kTeamClasses
               ? first_record_[static_cast<size_t>(team_class)]
               : -1;
  }
  // Whether the search stopped at a `Class` that could not be read.
  bool class_unreadable() const { return class_unreadable_; }

  // The record's `Type`; false when it cannot be read.
  [[nodiscard]] bool Type(int record, int* type) const {
    return teams_.GetWord(record, type_, type) != 0;
  }
  // The record's `Name`, up to the first NUL, the column's width (when
  // positive) or the end of the record; false when it cannot be read.
  [[nodiscard]] bool Name(int record, std::string_view* name) const {
    return teams_.GetText(record, name_, name, name_width_) != 0;
  }

 private:
  const RecordTable& teams_;
  Column name_;
  size_t name_width_ = SIZE_MAX;
  Column type_;
  std::vector<int32_t> first_record_;  // by class; -1: not found
  bool class_unreadable_ = false;
};

// The team tables of both sides, each with its classes found.
struct SideTeams {
  explicit SideTeams(const GameTables& tables)
      : allied(tables.alsteams), german(tables.geteams) {}

  const TeamIndex& Of(SideCode side) const {
    return side == SideCode::kAllied ? allied : german;
  }

  TeamIndex allied;
  TeamIndex german;
};

}  // namespace tovrand

#endif  // TOVRAND_POOL_TEAM_INDEX_H_
