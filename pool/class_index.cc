#include "pool/class_index.h"

namespace tovrand {

ClassIndex::ClassIndex(const TeamIndex& teams)
    : entries_(kTeamClasses, kNotSeen),
      class_unreadable_(teams.class_unreadable()) {
  for (int team_class = 0; team_class < kTeamClasses; ++team_class) {
    const int record = teams.RecordOf(team_class);
    if (record < 0) continue;
    int type = 0;
    entries_[static_cast<size_t>(team_class)] =
        teams.Type(record, &type)
            ? static_cast<uint8_t>(kFirstCategory +
                                   static_cast<int>(CategoryOf(type)))
            : kTypeUnreadable;
  }
}

}  // namespace tovrand
