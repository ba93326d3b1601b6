#ifndef TOVRAND_WINDOW_LIST_H_
#define TOVRAND_WINDOW_LIST_H_

// The list of changes as the modder orders and copies it: sorted by a
// column either way, and its rows as tab-separated text. Made off the
// window's thread, from a preview that is never changed once made.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "window/model.h"

namespace tovrand {

// The list's order: by the column `column` (0 to 7: pool, side, date, slot,
// team, type, old, new), smallest first or, `descending`, largest first;
// or with `column` -1, file order.
struct ListOrder {
  int column = -1;
  bool descending = false;

  bool operator==(const ListOrder& other) const {
    return column == other.column && descending == other.descending;
  }
  bool operator!=(const ListOrder& other) const { return !(*this == other); }
};

// The order a click on the header of `column` gives: by that column
// smallest first, or the other way when it is sorted by it already.
ListOrder ClickedOrder(ListOrder now, int column);

// Whether the text `a` comes before `b`: on Windows, as the user's language
// sorts them; both are UTF-8, as RowColumns gives them.
using TextLess = std::function<bool(const std::string& a, const std::string& b)>;

// The preview's rows (indices into preview.rows) in `order`. Date, slot,
// old and new sort as numbers (a date that cannot be read before every
// number), the rest as texts by `less`; rows that compare equal stay in
// file order, either way. Empty for file order, which needs no list.
std::vector<int32_t> SortRows(const Preview& preview, ListOrder order,
                              const TextLess& less);

// The row shown at `position` of the list: `sorted` as SortRows gave it,
// or file order when that is empty.
inline int32_t RowAt(const std::vector<int32_t>& sorted, int32_t position) {
  return sorted.empty() ? position : sorted[static_cast<size_t>(position)];
}

// The list's header line and the rows `rows` (indices into preview.rows,
// in the order given) as the list shows them, a line each, the columns
// apart by tabs, each line ended by CR LF: what Ctrl+C puts on the
// clipboard. UTF-8.
std::string CopiedRows(const Preview& preview, const std::vector<int32_t>& rows);

// The same text in pieces of whole lines, in order, a piece ended at the
// first line end at or after `piece` bytes: a text too large to hold
// twice (a million rows make some 80 MB) can be turned into another form
// a piece at a time, each let go once turned.
std::vector<std::string> CopiedPieces(const Preview& preview,
                                      const std::vector<int32_t>& rows,
                                      size_t piece);

// The list's column headers, as CopiedRows' first line has them.
extern const char* const kColumnHeaders[kRowColumns];

}  // namespace tovrand

#endif  // TOVRAND_WINDOW_LIST_H_
