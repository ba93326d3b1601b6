#ifndef TOVRAND_WINDOW_LAYOUT_H_
#define TOVRAND_WINDOW_LAYOUT_H_

// Where the window's controls lie, for a size of its client area and a
// scale (dots per inch: 96 is 100%), and how wide the list's columns are.
// Computed here, with no window, so that the view (window/view_win32.cc)
// only applies it: on its start, on every change of its size and on every
// change of its monitor's scale.

#include <array>
#include <cstddef>

namespace tovrand {

// The controls of the window's dialog, in the order its template
// (window/tovrand-window.rc) makes them: the view finds the template's
// unnamed labels by that order.
enum class Control {
  kFolderLabel, kFolder, kBrowse, kReload,
  kSideLabel, kAllied, kGerman,
  kTankDate0Label, kTankDate0, kInfantryDate0Label, kInfantryDate0,
  kTankOtherLabel, kTankOther, kInfantryOtherLabel, kInfantryOther,
  kTotals, kChangesLabel, kCount, kProgress, kChanges,
  kMessagesLabel, kMessages, kWrite, kClose,
};
constexpr int kControls = 24;
// The list's columns: pool, side, date, slot, team, type, old, new.
constexpr int kListColumns = 8;

// A rectangle in pixels of the client area; right and bottom are outside
// it, as Windows has them.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct Size {
  int width = 0, height = 0;
};

// The dialog's font at the scale, as the view measures it, in pixels.
struct FontMetrics {
  int char_width = 0;   // a character's average width
  int line_height = 0;  // a line of text
  // The widest of the labels in the window's left column ("Data folder:",
  // "Side:", the four values', "Changes:", "Messages:").
  int label_width = 0;
  int radio_width = 0;  // the wider of the sides' texts ("German")
  // The widest line of totals the box shows whole (kWidestTotals).
  int totals_width = 0;
  int scrollbar = 0;  // a vertical scroll bar's width
};

// The longest lines of totals the totals box has room for, in full: the
// report's line (TotalsLine) of the longest group and category, with
// seven digits before and after, for each side.
extern const char* const kWidestTotals[2];

struct WindowLayout {
  std::array<Rect, kControls> rects;
  std::array<int, kListColumns> columns{};  // the list's, in pixels

  Rect& operator[](Control control) {
    return rects[static_cast<size_t>(control)];
  }
  const Rect& operator[](Control control) const {
    return rects[static_cast<size_t>(control)];
  }
};

// The smallest client area at which every control shows whole: the list
// and the messages two lines high, the totals' four lines whole.
Size SmallestClient(int dpi, const FontMetrics& font);

// The client area the window would start with, screen permitting: larger
// than the smallest, with room for the list.
Size StartClient(int dpi, const FontMetrics& font);

// The list's columns as the modder and the rows have made them, in
// pixels: the width each takes for the longest of its texts among the rows
// in view (FitColumn), 0 for the layout's own; and those the modder has
// set by dragging, which are kept as they are.
struct ColumnWidths {
  std::array<int, kListColumns> fit{};
  std::array<bool, kListColumns> set{};
};

// The width of a column whose longest text among the rows in view, its
// header's included, is `text` pixels wide: that and the list's margins
// around it, up to 320 pixels at 96 dpi.
int FitColumn(int text, int dpi);

// The controls in a client area of `client` (taken as at least
// SmallestClient). The width it has beyond the smallest goes to the
// folder's box, the totals, the list and the messages; the height to the
// list, and a quarter of it to the messages. The list's columns are as
// `widths` has them (or, for those it has none of, 55, 45, 35, 110, 50
// and 50 pixels at 96 dpi for side, date, slot, type, old and new, and 60
// for Pool and Team), and what the list has beyond them all goes to Pool
// and Team in equal parts, or to the one of them the modder has not set.
WindowLayout LayOut(Size client, int dpi, const FontMetrics& font,
                    const ColumnWidths& widths = {});

}  // namespace tovrand

#endif  // TOVRAND_WINDOW_LAYOUT_H_
