#include "pool/class_index.h"

namespace tovrand {

ClassIndex::ClassIndex(const RecordTable& teams)
    : entries_(kClasses, kNotSeen) {
  const Column class_column = teams.Find("Class");
  const Column type_column = teams.Find("Type");
  for (int j = 0; j < teams.recordCount(); ++j) {
    teams.PrefetchAhead(j);
    int team_class = 0;
    if (!teams.GetWord(j, class_column, &team_class)) {
      // A search for any class not seen so far stops here with a failure.
      class_unreadable_ = true;
      break;
    }
    // Slots never ask for a negative class; a class seen before keeps its
    // first record.
    if (team_class < 0 || entries_[static_cast<size_t>(team_class)] != kNotSeen)
      continue;
    int type = 0;
    entries_[static_cast<size_t>(team_class)] =
        teams.GetWord(j, type_column, &type)
            ? static_cast<uint8_t>(kFirstCategory +
                                   static_cast<int>(CategoryOf(type)))
            : kTypeUnreadable;
  }
}

}  // namespace tovrand
