#ifndef TOVRAND_POOL_CLASS_INDEX_H_
#define TOVRAND_POOL_CLASS_INDEX_H_

#include <cstdint>
#include <vector>

#include "pool/team_types.h"
#include "table/record_table.h"

namespace tovrand {

// The classes a slot can name: 0 to 32767 (a negative class ends a pool).
constexpr int kTeamClasses = 32768;

// The search a slot's class goes through, made once for every class: reads
// `Class` of team records 0, 1, ... in order and calls `visit(team_class,
// record)` for the first record of each class from 0 to 32767. Returns false
// when a `Class` cannot be read: the search stops there, and a class not
// visited by then fails with that read, not as missing. Returns true at the
// end of the table.
template <typename Visit>
bool VisitFirstRecordOfEachClass(const RecordTable& teams, Visit&& visit) {
  const Column class_column = teams.Find("Class");
  std::vector<bool> seen(kTeamClasses, false);
  for (int j = 0; j < teams.recordCount(); ++j) {
    teams.PrefetchAhead(j);
    int team_class = 0;
    if (!teams.GetWord(j, class_column, &team_class)) return false;
    if (team_class < 0 || seen[static_cast<size_t>(team_class)]) continue;
    seen[static_cast<size_t>(team_class)] = true;
    visit(team_class, j);
  }
  return true;
}

// Resolves a team class to the category of its team's type in constant
// time: the `Type` of the first record of the class (see
// VisitFirstRecordOfEachClass), or the failure of that search, or no match
// at all, or, for a match whose `Type` cannot be read, that failure. Built
// with one pass over the team table, so a lookup never touches the table's
// bytes again.
class ClassIndex {
 public:
  enum class Result { kFound, kClassUnreadable, kMissing, kTypeUnreadable };

  explicit ClassIndex(const RecordTable& teams);

  // Looks up a class from 0 to 32767; on kFound sets `*category`.
  [[nodiscard]] Result Find(int team_class, TeamCategory* category) const {
    const uint8_t entry = team_class >= 0 && team_class < kTeamClasses
                              ? entries_[static_cast<size_t>(team_class)]
                              : kNotSeen;
    if (entry >= kFirstCategory) {
      *category = static_cast<TeamCategory>(entry - kFirstCategory);
      return Result::kFound;
    }
    if (entry == kTypeUnreadable) return Result::kTypeUnreadable;
    return class_unreadable_ ? Result::kClassUnreadable : Result::kMissing;
  }

 private:
  // An entry a class: not seen, seen with a Type that cannot be read, or
  // kFirstCategory plus the category of its type.
  static constexpr uint8_t kNotSeen = 0;
  static constexpr uint8_t kTypeUnreadable = 1;
  static constexpr uint8_t kFirstCategory = 2;

  std::vector<uint8_t> entries_;   // by class, one byte each
  bool class_unreadable_ = false;  // a Class read failed before the end
};

}  // namespace tovrand

#endif  // TOVRAND_POOL_CLASS_INDEX_H_
