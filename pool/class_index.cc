#include "pool/class_index.h"

ClassIndex::ClassIndex(const RecordTable& teams) : first_(32768, -1) {
  const Column column = teams.Find("Class");
  for (int j = 0; j < teams.recordCount(); ++j) {
    int team_class = 0;
    if (!teams.GetWord(j, column, &team_class)) {
      // A search for any class not seen so far stops here with a failure.
      unreadable_ = true;
      break;
    }
    if (team_class >= 0 && first_[team_class] < 0) first_[team_class] = j;
  }
}

ClassIndex::Result ClassIndex::Find(int team_class, int* record) const {
  if (team_class < 0 || team_class >= static_cast<int>(first_.size()))
    return unreadable_ ? Result::kUnreadable : Result::kMissing;
  if (first_[team_class] >= 0) {
    *record = first_[team_class];
    return Result::kFound;
  }
  return unreadable_ ? Result::kUnreadable : Result::kMissing;
}
