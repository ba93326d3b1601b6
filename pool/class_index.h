#ifndef TOVRAND_POOL_CLASS_INDEX_H_
#define TOVRAND_POOL_CLASS_INDEX_H_

#include <cstdint>
#include <vector>

#include "table/record_table.h"

// Finds the first team record of a class in constant time, with the results
// of a search that reads `Class` of records 0, 1, ... in order: the first
// record whose class matches; or, when a record's `Class` cannot be read
// before any match, that failure; or no match at all. Built with one pass
// over the team table.
class ClassIndex {
 public:
  enum class Result { kFound, kUnreadable, kMissing };

  explicit ClassIndex(const RecordTable& teams);

  // Looks up a class from 0 to 32767; on kFound sets `*record`.
  Result Find(int team_class, int* record) const;

 private:
  std::vector<int32_t> first_;  // by class: first record, or -1
  bool unreadable_ = false;     // a Class read failed before the end
};

#endif  // TOVRAND_POOL_CLASS_INDEX_H_
