#ifndef TOVRAND_POOL_CLASS_INDEX_H_
#define TOVRAND_POOL_CLASS_INDEX_H_

#include <cstdint>
#include <vector>

#include "pool/team_types.h"
#include "table/record_table.h"

namespace tovrand {

// Resolves a team class to the category of its team's type in constant
// time, with the results of a search that reads `Class` of records 0, 1, ...
// in order and then `Type` of the first record whose class matches: that
// type's category; or, when a record's `Class` cannot be read before any
// match, that failure; or no match at all; or, for a match whose `Type`
// cannot be read, that failure. Built with one pass over the team table,
// so a lookup never touches the table's bytes again.
class ClassIndex {
 public:
  enum class Result { kFound, kClassUnreadable, kMissing, kTypeUnreadable };

  explicit ClassIndex(const RecordTable& teams);

  // Looks up a class from 0 to 32767; on kFound sets `*category`.
  [[nodiscard]] Result Find(int team_class, TeamCategory* category) const {
    const uint8_t entry = team_class >= 0 && team_class < kClasses
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
  static constexpr int kClasses = 32768;
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
