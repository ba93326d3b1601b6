#include "window/list.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <unordered_map>
#include <utility>

#include "report/changes.h"

namespace tovrand {

const char* const kColumnHeaders[kRowColumns] = {
    "Pool", "Side", "Date", "Slot", "Team", "Type", "Old", "New"};

namespace {

enum Column { kPool, kSide, kDate, kSlot, kTeam, kType, kOld, kNew };

// A date as a number; one that cannot be read (no text) before them all.
int64_t DateKey(const std::string& date) {
  if (date.empty()) return std::numeric_limits<int64_t>::min();
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(date.c_str(), &end, 10);
  if (errno != 0 || end == date.c_str() || *end != '\0')
    return std::numeric_limits<int64_t>::min();
  return value;
}

// The text of a pool's part, of a team's, or of a date, for each row in
// turn. The rows of a pool come together, in file order: its parts are
// read once for them all.
class ColumnTexts {
 public:
  ColumnTexts(const Preview& preview, int column)
      : preview_(preview), column_(column) {}

  std::string Of(const ChangeRow& row) {
    if (column_ == kTeam || column_ == kType) {
      ChangeFields fields = DescribeChange(preview_.folder->tables.fpools,
                                           preview_.pool, preview_.teams, row);
      return column_ == kTeam ? std::move(fields.team.name)
                              : std::move(fields.team.type);
    }
    if (row.record != record_) {
      parts_ = DescribePoolParts(preview_.folder->tables.fpools, preview_.pool,
                                 row.record);
      record_ = row.record;
    }
    return column_ == kPool ? parts_.name
           : column_ == kSide ? parts_.side
                              : parts_.date;
  }

 private:
  const Preview& preview_;
  int column_;
  int32_t record_ = -1;
  PoolParts parts_;
};

// Each row's key: its number, or its text's rank among the texts of the
// column as `less` orders them (texts it finds equal share a rank).
std::vector<int64_t> Keys(const Preview& preview, int column,
                          const TextLess& less) {
  const std::vector<ChangeRow>& rows = preview.rows;
  std::vector<int64_t> keys;
  keys.reserve(rows.size());
  if (column == kSlot || column == kOld || column == kNew) {
    for (const ChangeRow& row : rows) {
      keys.push_back(column == kSlot  ? row.slot
                     : column == kOld ? row.old_quantity
                                      : row.new_quantity);
    }
    return keys;
  }
  ColumnTexts texts(preview, column);
  if (column == kDate) {
    for (const ChangeRow& row : rows) keys.push_back(DateKey(texts.Of(row)));
    return keys;
  }
  // A few hundred names among a million rows: each is compared by `less`
  // once it is known, not once for every row that has it.
  std::unordered_map<std::string, int64_t> known;
  std::vector<const std::string*> distinct;
  for (const ChangeRow& row : rows) {
    auto found = known.emplace(texts.Of(row), static_cast<int64_t>(distinct.size()));
    if (found.second) distinct.push_back(&found.first->first);
    keys.push_back(found.first->second);
  }
  std::vector<int64_t> by_text(distinct.size());
  for (size_t i = 0; i < by_text.size(); ++i) by_text[i] = static_cast<int64_t>(i);
  std::stable_sort(by_text.begin(), by_text.end(), [&](int64_t a, int64_t b) {
    return less(*distinct[static_cast<size_t>(a)],
                *distinct[static_cast<size_t>(b)]);
  });
  std::vector<int64_t> rank(distinct.size());
  for (size_t i = 0; i < by_text.size(); ++i) {
    const bool same =
        i > 0 && !less(*distinct[static_cast<size_t>(by_text[i - 1])],
                       *distinct[static_cast<size_t>(by_text[i])]);
    rank[static_cast<size_t>(by_text[i])] =
        same ? rank[static_cast<size_t>(by_text[i - 1])]
             : static_cast<int64_t>(i);
  }
  for (int64_t& key : keys) key = rank[static_cast<size_t>(key)];
  return keys;
}

}  // namespace

ListOrder ClickedOrder(ListOrder now, int column) {
  ListOrder order;
  order.column = column;
  order.descending = now.column == column && !now.descending;
  return order;
}

std::vector<int32_t> SortRows(const Preview& preview, ListOrder order,
                              const TextLess& less) {
  std::vector<int32_t> sorted;
  if (order.column < 0 || order.column >= kRowColumns) return sorted;
  const std::vector<int64_t> keys = Keys(preview, order.column, less);
  sorted.resize(keys.size());
  for (size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<int32_t>(i);
  auto key = [&keys](int32_t row) { return keys[static_cast<size_t>(row)]; };
  if (order.descending) {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&key](int32_t a, int32_t b) { return key(a) > key(b); });
  } else {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&key](int32_t a, int32_t b) { return key(a) < key(b); });
  }
  return sorted;
}

std::vector<std::string> CopiedPieces(const Preview& preview,
                                      const std::vector<int32_t>& rows,
                                      size_t piece) {
  std::vector<std::string> pieces(1);
  auto line = [&pieces, piece](const std::string* columns) {
    std::string* text = &pieces.back();
    if (!text->empty() && text->size() >= piece) {
      pieces.emplace_back();
      text = &pieces.back();
    }
    for (int i = 0; i < kRowColumns; ++i)
      text->append(columns[i]).append(i + 1 < kRowColumns ? "\t" : "\r\n");
  };
  std::string headers[kRowColumns];
  for (int i = 0; i < kRowColumns; ++i) headers[i] = kColumnHeaders[i];
  line(headers);
  for (int32_t row : rows)
    line(RowColumns(preview, preview.rows[static_cast<size_t>(row)]).data());
  return pieces;
}

std::string CopiedRows(const Preview& preview, const std::vector<int32_t>& rows) {
  std::string text;
  for (const std::string& piece : CopiedPieces(preview, rows, 1 << 20))
    text += piece;
  return text;
}

}  // namespace tovrand
