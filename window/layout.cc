#include "window/layout.h"

#include <algorithm>

namespace tovrand {

const char* const kWidestTotals[2] = {
    "Allied, other dates, infantry: 9999999 -> 9999999",
    "German, other dates, infantry: 9999999 -> 9999999"};

namespace {

// The list's columns at 96 dpi; Pool and Team (0 here) share what the
// list's width leaves them.
constexpr int kPoolColumn = 0;
constexpr int kTeamColumn = 4;
constexpr int kBaseColumns[kListColumns] = {0, 55, 45, 35, 0, 110, 50, 50};

// The window's measures in pixels at a scale: its spacing scales with the
// dpi, its text with the font measured at that dpi.
struct Measures {
  Measures(int dpi, const FontMetrics& font) : dpi(dpi), font(font) {}

  // `pixels` at 96 dpi, at this scale.
  int Scaled(int pixels) const { return (pixels * dpi + 48) / 96; }

  int dpi;
  FontMetrics font;
  int margin = Scaled(7);
  int gap = Scaled(4);
  int row_gap = Scaled(6);
  int label_gap = Scaled(3);  // between a label and what it names below it
  int line = std::max(font.line_height, 1);
  int control = line + Scaled(7);  // a box or a button
  int pitch = control + Scaled(1);
  int button = std::max(Scaled(75), 12 * font.char_width);
  int label = font.label_width + Scaled(2);
  int edit = std::max(Scaled(48), 7 * font.char_width);
  int radio = Scaled(20) + font.radio_width;  // its circle and its text
  int values_left = margin + label + gap;
  int values_right = values_left + edit;
  int totals_left = values_right + Scaled(12);
  int totals_height = 4 * line + Scaled(2);
  int folder_min = Scaled(120);
  int count_min = 32 * font.char_width;  // "1234567 quantities will change"
  int progress = Scaled(100);
  int messages_min_width = Scaled(200);
  int column_min = Scaled(60);  // Pool's and Team's
  int list_border = 4;
  int list_min_height = line + Scaled(8) + 2 * (line + Scaled(3)) + list_border;
  // Two lines, and beside them and their label the two buttons.
  int messages_min_height = std::max(2 * line + Scaled(6),
                                     2 * control + gap - line - label_gap);

  int FixedColumns() const {
    int width = 0;
    for (int base : kBaseColumns) width += Scaled(base);
    return width;
  }
  int ListTop() const {
    const int block_bottom = margin + control + row_gap + 4 * pitch + control;
    return block_bottom + row_gap + line + label_gap;
  }
};

}  // namespace

int FitColumn(int text, int dpi) {
  const Measures m(dpi, FontMetrics());
  return std::min(text + m.Scaled(16), m.Scaled(320));
}

Size SmallestClient(int dpi, const FontMetrics& font) {
  const Measures m(dpi, font);
  const int list_min_width = m.FixedColumns() + 2 * m.column_min +
                             font.scrollbar + m.list_border;
  Size size;
  size.width = std::max(
      {m.values_left + m.folder_min + 2 * (m.gap + m.button),
       m.values_left + 2 * m.radio + m.gap,
       m.totals_left + font.totals_width + m.Scaled(4),
       m.values_left + m.count_min + m.gap + m.progress,
       m.margin + m.messages_min_width + m.gap + m.button,
       m.margin + list_min_width}) + m.margin;
  size.height = m.ListTop() + m.list_min_height + m.row_gap + m.line +
                m.label_gap + m.messages_min_height + m.margin;
  return size;
}

Size StartClient(int dpi, const FontMetrics& font) {
  const Measures m(dpi, font);
  const Size smallest = SmallestClient(dpi, font);
  return {std::max(smallest.width, m.Scaled(800)),
          std::max(smallest.height, m.Scaled(560))};
}

WindowLayout LayOut(Size client, int dpi, const FontMetrics& font,
                    const ColumnWidths& widths) {
  const Measures m(dpi, font);
  const Size smallest = SmallestClient(dpi, font);
  const int width = std::max(client.width, smallest.width);
  const int height = std::max(client.height, smallest.height);
  const int right = width - m.margin;
  WindowLayout layout;
  auto place = [&layout](Control control, int left, int top, int w, int h) {
    layout[control] = Rect{left, top, left + w, top + h};
  };
  // A label beside a box or a button whose top is `top`.
  const int beside = (m.control - m.line) / 2;

  // The folder, its buttons at the right.
  int top = m.margin;
  place(Control::kFolderLabel, m.margin, top + beside, m.label, m.line);
  const int reload = right - m.button;
  const int browse = reload - m.gap - m.button;
  place(Control::kFolder, m.values_left, top,
        browse - m.gap - m.values_left, m.control);
  place(Control::kBrowse, browse, top, m.button, m.control);
  place(Control::kReload, reload, top, m.button, m.control);

  // The side and the four values, a row each; the totals at the values'
  // right.
  top += m.control + m.row_gap;
  place(Control::kSideLabel, m.margin, top + beside, m.label, m.line);
  place(Control::kAllied, m.values_left, top, m.radio, m.control);
  place(Control::kGerman, m.values_left + m.radio + m.gap, top, m.radio,
        m.control);
  place(Control::kTotals, m.totals_left, top + m.pitch + beside,
        right - m.totals_left, m.totals_height);
  const Control values[4][2] = {
      {Control::kTankDate0Label, Control::kTankDate0},
      {Control::kInfantryDate0Label, Control::kInfantryDate0},
      {Control::kTankOtherLabel, Control::kTankOther},
      {Control::kInfantryOtherLabel, Control::kInfantryOther}};
  for (const auto& row : values) {
    top += m.pitch;
    place(row[0], m.margin, top + beside, m.label, m.line);
    place(row[1], m.values_left, top, m.edit, m.control);
  }

  // The messages at the bottom, Write and Close at their right; the list
  // takes the height between, less a quarter of what the window has more
  // than its smallest, which goes to the messages.
  const int messages_height =
      m.messages_min_height + (height - smallest.height) / 4;
  const int messages_top = height - m.margin - messages_height;
  const int buttons = right - m.button;
  place(Control::kMessages, m.margin, messages_top,
        buttons - m.gap - m.margin, messages_height);
  const int messages_label = messages_top - m.label_gap - m.line;
  place(Control::kMessagesLabel, m.margin, messages_label, m.label, m.line);
  place(Control::kClose, buttons, height - m.margin - m.control, m.button,
        m.control);
  place(Control::kWrite, buttons, layout[Control::kClose].top - m.gap -
        m.control, m.button, m.control);

  // The list, its label, its count and the bar of a folder being read.
  const int list_top = m.ListTop();
  const int changes_top = list_top - m.label_gap - m.line;
  place(Control::kChangesLabel, m.margin, changes_top, m.label, m.line);
  const int progress = right - m.progress;
  place(Control::kCount, m.values_left, changes_top,
        progress - m.gap - m.values_left, m.line);
  place(Control::kProgress, progress, changes_top, m.progress, m.line);
  place(Control::kChanges, m.margin, list_top, right - m.margin,
        messages_label - m.row_gap - list_top);

  // The columns: Pool and Team take what the others leave of the list's
  // width inside its border and its scroll bar.
  const int inside = layout[Control::kChanges].Width() - m.list_border -
                     font.scrollbar;
  int rest = inside;
  for (int i = 0; i < kListColumns; ++i) {
    const int own = i == kPoolColumn || i == kTeamColumn
                        ? m.column_min
                        : m.Scaled(kBaseColumns[i]);
    layout.columns[i] = widths.fit[i] > 0 ? widths.fit[i] : own;
    rest -= layout.columns[i];
  }
  const bool pool_takes = !widths.set[kPoolColumn];
  const bool team_takes = !widths.set[kTeamColumn];
  if (rest > 0 && (pool_takes || team_takes)) {
    const int to_pool = !pool_takes ? 0 : team_takes ? rest / 2 : rest;
    layout.columns[kPoolColumn] += to_pool;
    if (team_takes) layout.columns[kTeamColumn] += rest - to_pool;
  }
  return layout;
}

}  // namespace tovrand
