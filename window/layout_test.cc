#include "window/layout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "report/changes.h"
#include "window/model.h"

namespace tovrand {
namespace {

int Scaled(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

// The dialog's font (9 points) at a scale, as Windows' and Wine's fonts
// measure it, each measure rounded up: at 96 dpi its line, average
// character, widest label, wider side and widest line of totals.
FontMetrics Font(int dpi) {
  auto up = [dpi](int pixels) { return (pixels * dpi + 95) / 96; };
  return FontMetrics{up(7), up(16), up(150), up(50), up(330), up(17)};
}

// The window around a client area: its frame, and its caption.
Size Window(Size client, int dpi) {
  return {client.width + 2 * Scaled(8, dpi),
          client.height + Scaled(23, dpi) + 2 * Scaled(8, dpi)};
}

std::string Name(int i) { return "control " + std::to_string(i); }

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

constexpr int kDpis[] = {96, 120, 144, 168, 192};

// At its smallest the window shows every control whole, none over
// another, in 1280x720 pixels of screen at every scale up to 200%.
TEST(WindowLayoutTest, AtItsSmallestEveryControlFitsIn1280x720) {
  for (int dpi : kDpis) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    const FontMetrics font = Font(dpi);
    const Size smallest = SmallestClient(dpi, font);
    const Size window = Window(smallest, dpi);
    EXPECT_LE(window.width, 1280);
    EXPECT_LE(window.height, 720);
    const WindowLayout layout = LayOut(smallest, dpi, font);
    for (int i = 0; i < kControls; ++i) {
      SCOPED_TRACE(Name(i));
      const Rect& r = layout.rects[i];
      EXPECT_GE(r.left, 0);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.right, smallest.width);
      EXPECT_LE(r.bottom, smallest.height);
      EXPECT_GT(r.Width(), 0);
      EXPECT_GE(r.Height(), font.line_height);
      for (int j = i + 1; j < kControls; ++j)
        EXPECT_FALSE(Overlap(r, layout.rects[j])) << "over " << Name(j);
    }
  }
}

// 1280x720 is the screen of 1366x768 at 144 dpi less a taskbar, and of
// 1920x1080 at 150%: the smallest window is about 640x360 at 96 dpi's
// pixels at 192.
TEST(WindowLayoutTest, TheSmallestWindowAt192DpiIsAbout640x360At96) {
  const Size window = Window(SmallestClient(192, Font(192)), 192);
  EXPECT_LE(window.width / 2, 640);
  EXPECT_LE(window.height / 2, 360);
}

// Labels, totals, the count and the list's columns have their room at
// any size the window can have.
TEST(WindowLayoutTest, TextHasItsRoomAtTheSmallestAndLarger) {
  const Control labels[] = {
      Control::kFolderLabel,        Control::kSideLabel,
      Control::kTankDate0Label,     Control::kInfantryDate0Label,
      Control::kTankOtherLabel,     Control::kInfantryOtherLabel,
      Control::kChangesLabel,       Control::kMessagesLabel};
  for (int dpi : kDpis) {
    const FontMetrics font = Font(dpi);
    const Size smallest = SmallestClient(dpi, font);
    for (const Size client :
         {smallest, Size{smallest.width + 1, smallest.height + 1},
          StartClient(dpi, font), Size{3000, 2000}}) {
      SCOPED_TRACE("dpi " + std::to_string(dpi) + ", " +
                   std::to_string(client.width) + "x" +
                   std::to_string(client.height));
      const WindowLayout layout = LayOut(client, dpi, font);
      for (Control label : labels)
        EXPECT_GE(layout[label].Width(), font.label_width);
      for (Control side : {Control::kAllied, Control::kGerman})
        EXPECT_GE(layout[side].Width(), font.radio_width + Scaled(16, dpi));
      const Rect& totals = layout[Control::kTotals];
      EXPECT_GE(totals.Width(), font.totals_width);
      EXPECT_GE(totals.Height(), 4 * font.line_height);
      EXPECT_GE(layout[Control::kCount].Width(), 31 * font.char_width);
      int columns = 0;
      for (int width : layout.columns) columns += width;
      // No column is cut and no scroll bar across the list: they fit
      // inside its border (2 pixels a side) and its scroll bar.
      EXPECT_LE(columns + 4, layout[Control::kChanges].Width() - font.scrollbar);
      // The list and the messages show two lines, at least.
      EXPECT_GE(layout[Control::kChanges].Height(), 4 * font.line_height);
      EXPECT_GE(layout[Control::kMessages].Height(), 2 * font.line_height);
    }
  }
}

// The width the window gains goes to the list's Pool and Team columns in
// equal parts (to a pixel), the others keep theirs.
TEST(WindowLayoutTest, PoolAndTeamShareTheWidthTheWindowGains) {
  for (int dpi : kDpis) {
    const FontMetrics font = Font(dpi);
    const Size smallest = SmallestClient(dpi, font);
    const WindowLayout narrow = LayOut(smallest, dpi, font);
    for (int wider : {0, 1, 2, 200, 301}) {
      SCOPED_TRACE("dpi " + std::to_string(dpi) + ", " +
                   std::to_string(wider) + " wider");
      const WindowLayout wide =
          LayOut({smallest.width + wider, smallest.height}, dpi, font);
      const int pool = wide.columns[0] - narrow.columns[0];
      const int team = wide.columns[4] - narrow.columns[4];
      EXPECT_EQ(pool + team, wider);
      EXPECT_LE(std::abs(pool - team), 1);
      // The columns fill the list inside its border (2 pixels a side) and
      // scroll bar: no gap at their right, no scrolling sideways.
      int columns = 0;
      for (const int column : wide.columns) columns += column;
      const Rect& list = wide[Control::kChanges];
      EXPECT_EQ(columns + 4 + font.scrollbar, list.right - list.left);
      for (int i : {1, 2, 3, 5, 6, 7})
        EXPECT_EQ(wide.columns[i], narrow.columns[i]) << "column " << i;
      EXPECT_EQ(wide[Control::kChanges].Width(),
                narrow[Control::kChanges].Width() + wider);
      EXPECT_EQ(wide[Control::kFolder].Width(),
                narrow[Control::kFolder].Width() + wider);
      EXPECT_EQ(wide[Control::kMessages].Width(),
                narrow[Control::kMessages].Width() + wider);
      // Write and Close keep to the right edge.
      EXPECT_EQ(wide[Control::kWrite].left,
                narrow[Control::kWrite].left + wider);
      EXPECT_EQ(wide[Control::kClose].right, smallest.width + wider -
                                                 Scaled(7, dpi));
    }
  }
}

// Columns fitted to their texts keep their widths; what the list has
// beyond them goes to Pool and Team, or to the one the modder has not set
// by dragging; none shrinks when the list is narrower than they are.
TEST(WindowLayoutTest, FittedColumnsKeepTheirWidthsAndPoolAndTeamTakeTheRest) {
  const FontMetrics font = Font(96);
  const Size start = StartClient(96, font);
  const int inside = LayOut(start, 96, font)[Control::kChanges].Width() - 4 -
                     font.scrollbar;
  using Widths = std::array<int, kListColumns>;
  const Widths fit = {200, 40, 40, 30, 150, 80, 40, 40};  // 620
  const int rest = inside - 620;
  ASSERT_GT(rest, 0);
  const struct {
    const char* what;
    Widths fit;
    std::array<bool, kListColumns> set;
    Widths columns;
  } kCases[] = {
      {"fitted", fit, {}, {200 + rest / 2, 40, 40, 30, 150 + rest - rest / 2, 80, 40, 40}},
      {"Pool set", fit, {true}, {200, 40, 40, 30, 150 + rest, 80, 40, 40}},
      {"Team set", fit, {false, false, false, false, true}, {200 + rest, 40, 40, 30, 150, 80, 40, 40}},
      {"both set", fit, {true, false, false, false, true}, fit},
      {"wider than the list", {900, 400, 40, 30, 900, 80, 40, 40}, {},
       {900, 400, 40, 30, 900, 80, 40, 40}},
      {"others wider than the list", {0, 400, 400, 0, 0, 0, 0, 0}, {},
       {60, 400, 400, 35, 60, 110, 50, 50}},
      {"some fitted", {0, 0, 0, 0, 0, 200, 0, 0}, {},
       {60 + (inside - 555) / 2, 55, 45, 35, 60 + (inside - 555) - (inside - 555) / 2, 200, 50, 50}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ColumnWidths widths;
    widths.fit = c.fit;
    widths.set = c.set;
    EXPECT_EQ(LayOut(start, 96, font, widths).columns, c.columns);
  }
  // A text's width and the list's margins, up to 320 pixels at 96 dpi.
  const int kFits[][3] = {{100, 96, 116}, {304, 96, 320}, {305, 96, 320},
                          {100, 192, 132}, {700, 192, 640}, {0, 144, 24}};
  for (const auto& f : kFits)
    EXPECT_EQ(FitColumn(f[0], f[1]), f[2]) << f[0] << " at " << f[1];
}

// The height the window gains goes to the list, a quarter of it to the
// messages; Write and Close keep to the bottom edge.
TEST(WindowLayoutTest, TheListTakesTheHeightTheWindowGains) {
  const struct {
    int taller;
    int list, messages;
  } cases[] = {{0, 0, 0}, {3, 3, 0}, {4, 3, 1}, {100, 75, 25}};
  for (int dpi : kDpis) {
    const FontMetrics font = Font(dpi);
    const Size smallest = SmallestClient(dpi, font);
    const WindowLayout low = LayOut(smallest, dpi, font);
    for (const auto& c : cases) {
      SCOPED_TRACE("dpi " + std::to_string(dpi) + ", " +
                   std::to_string(c.taller) + " taller");
      const WindowLayout high = LayOut(
          {smallest.width, smallest.height + c.taller}, dpi, font);
      EXPECT_EQ(high[Control::kChanges].Height(),
                low[Control::kChanges].Height() + c.list);
      EXPECT_EQ(high[Control::kMessages].Height(),
                low[Control::kMessages].Height() + c.messages);
      EXPECT_EQ(high[Control::kTotals].top, low[Control::kTotals].top);
      EXPECT_EQ(high[Control::kClose].bottom,
                smallest.height + c.taller - Scaled(7, dpi));
      EXPECT_EQ(high.columns, low.columns);
    }
  }
}

// A client area smaller than the smallest (a maximised window on a small
// screen) is laid out as the smallest; the start is larger, and the
// layout at each scale follows the scale.
TEST(WindowLayoutTest, SizesBelowTheSmallestAndTheStart) {
  for (int dpi : kDpis) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    const FontMetrics font = Font(dpi);
    const Size smallest = SmallestClient(dpi, font);
    const WindowLayout at_smallest = LayOut(smallest, dpi, font);
    for (const Size tiny : {Size{0, 0}, Size{1, 1},
                            Size{smallest.width - 1, smallest.height - 1}}) {
      const WindowLayout layout = LayOut(tiny, dpi, font);
      for (int i = 0; i < kControls; ++i) {
        EXPECT_EQ(layout.rects[i].left, at_smallest.rects[i].left) << Name(i);
        EXPECT_EQ(layout.rects[i].bottom, at_smallest.rects[i].bottom)
            << Name(i);
      }
    }
    const Size start = StartClient(dpi, font);
    EXPECT_GE(start.width, smallest.width);
    EXPECT_GE(start.height, smallest.height);
    if (dpi > 96) {
      const Size at_96 = SmallestClient(96, Font(96));
      EXPECT_GT(smallest.width, at_96.width);
      EXPECT_GT(smallest.height, at_96.height);
    }
  }
  EXPECT_EQ(StartClient(96, Font(96)).width, 800);
  EXPECT_EQ(StartClient(96, Font(96)).height, 560);
  EXPECT_EQ(StartClient(192, Font(192)).width, 1600);
}

// The totals box has room for the report's longest lines of totals, with
// seven digits.
TEST(WindowLayoutTest, TheWidestTotalsAreTheReportsLongestLines) {
  Totals seven;
  for (auto& side : seven.sum)
    for (auto& group : side)
      for (int64_t& sum : group) sum = 9999999;
  EXPECT_EQ(std::string(kWidestTotals[0]),
            "Allied, other dates, infantry: 9999999 -> 9999999");
  EXPECT_EQ(std::string(kWidestTotals[1]),
            "German, other dates, infantry: 9999999 -> 9999999");
  for (int side = 0; side < 2; ++side) {
    EXPECT_EQ(TotalsLine(side, 1, 1, seven, seven), kWidestTotals[side]);
    for (int group = 0; group < 2; ++group)
      for (int category = 0; category < 2; ++category)
        EXPECT_LE(TotalsLine(side, group, category, seven, seven).size(),
                  std::string(kWidestTotals[side]).size());
  }
  EXPECT_EQ(kListColumns, kRowColumns);
}

}  // namespace
}  // namespace tovrand
