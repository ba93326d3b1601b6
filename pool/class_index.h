#ifndef TOVRAND_POOL_CLASS_INDEX_H_
#define TOVRAND_POOL_CLASS_INDEX_H_

#include <cstdint>
#include <vector>

#include "pool/team_index.h"
#include "pool/team_types.h"

namespace tovrand {

// Resolves a team class to the category of its team's type in constant
// time, as the scaling pass needs it: the `Type` of the class's first
// record (TeamIndex), or the failure of that search, or no match at all,
// or, for a match whose `Type` cannot be read, that failure. One byte a
// class, so the pass's lookups stay in the cache and never touch the team
// table's bytes.
class ClassIndex {
 public:
  enum class Result { kFound, kClassUnreadable, kMissing, kTypeUnreadable };

  explicit ClassIndex(const TeamIndex& teams);

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
