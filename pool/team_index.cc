#include "pool/team_index.h"

namespace tovrand {

TeamIndex::TeamIndex(const RecordTable& teams)
    : teams_(teams),
      name_(teams.Find("Name")),
      name_width_(teams.TextLimit("Name")),
      type_(teams.Find("Type")),
      first_record_(kTeamClasses, -1) {
  const Column class_column = teams.Find("Class");
  for (int j = 0; j < teams.recordCount(); ++j) {
    teams.PrefetchAhead(j);
    int team_class = 0;
    if (!teams.GetWord(j, class_column, &team_class)) {
      class_unreadable_ = true;
      return;
    }
    if (team_class < 0) continue;
    int32_t& first = first_record_[static_cast<size_t>(team_class)];
    if (first < 0) first = j;
  }
}

}  // namespace tovrand
