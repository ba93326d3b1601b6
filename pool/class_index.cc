#include "pool/class_index.h"

namespace tovrand {

ClassIndex::ClassIndex(const RecordTable& teams)
    : entries_(kTeamClasses, kNotSeen) {
  const Column type_column = teams.Find("Type");
  class_unreadable_ = !VisitFirstRecordOfEachClass(
      teams, [&](int team_class, int record) {
        int type = 0;
        entries_[static_cast<size_t>(team_class)] =
            teams.GetWord(record, type_column, &type)
                ? static_cast<uint8_t>(kFirstCategory +
                                       static_cast<int>(CategoryOf(type)))
                : kTypeUnreadable;
      });
}

}  // namespace tovrand
