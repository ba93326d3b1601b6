#include "window/model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "report/diff.h"
#include "testing/collected_messages.h"
#include "testing/data_builder.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

using Lines = std::vector<std::string>;

// A data folder of the standard data set, with an Allied side pool (which
// no run scales) whose second slot's class no team has: tovdiff warns of
// it.
class DataFolder {
 public:
  DataFolder() {
    std::vector<testdata::Pool> pools = testdata::kPools;
    pools.push_back({"Allied Lost Patrol", 0, 0, {{5, 6}, {99, 2}}});
    Write("Tables.ini", testdata::StandardLayout());
    Write("FPools.txt", testdata::PoolRecords(pools));
    Write("AlsTeams.txt", testdata::TeamRecords(testdata::kAlliedTeams));
    Write("GETeams.txt", testdata::TeamRecords(testdata::kGermanTeams));
    std::filesystem::create_directory(dir_ / "Output");
  }
  void Write(const std::string& name, const std::string& bytes) {
    testdata::WriteFile(dir_ / name, bytes);
  }
  std::string Path(const std::string& name) const { return dir_ / name; }
  const std::string& Dir() const { return dir_.path(); }

  // tovdiff's report of the folder, run in it.
  Lines Report() const {
    InDirectory here(dir_.path());
    CollectedMessages out;
    EXPECT_EQ(Diff(DiffFiles(), &out), 0);
    return out.lines;
  }

 private:
  ScratchDir dir_;
};

WindowValues Values(const Lines& five) {
  const char* argv[6] = {"tovrand-window"};
  for (int i = 0; i < 5; ++i) argv[i + 1] = five[i].c_str();
  return StartValues(6, argv);
}

// The preview is what tovdiff reports after the run that Write makes.
TEST(WindowModelTest, ThePreviewIsTovdiffsReportOfTheWrite) {
  const struct {
    Lines values;
    std::string count;
  } kCases[] = {
      {{"g", "100", "80", "50", "60"}, "3 quantities will change"},
      {{"Allies", "50", "40", "30", "200"}, "4 quantities will change"},
      {{"g", "100", "100", "+100", "100%"}, "No quantity will change"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.values[0] + " " + c.values[1]);
    DataFolder folder;
    const WindowValues values = Values(c.values);
    const auto preview = MakePreview(LoadFolder(folder.Dir()), values);
    EXPECT_EQ(preview->failure, Lines{});
    EXPECT_EQ(ChangesLine(*preview), c.count);

    const WriteResult write = WriteOutput(folder.Dir(), values);
    EXPECT_EQ(write.status, 0);
    EXPECT_EQ(write.lines,
              Lines{"New FPools.txt has been placed in Output folder"});

    // tovdiff's lines: the changes, then after a gap the totals of each
    // side that changed, then after a gap the warnings.
    const Lines report = folder.Report();
    Lines shown;
    for (const ChangeRow& row : preview->rows) {
      const auto col = RowColumns(*preview, row);
      shown.push_back(col[0] + " (" + col[1] + ", date " + col[2] + "), slot " +
                      col[3] + ", " + col[4] + " (" + col[5] + "): " + col[6] +
                      " -> " + col[7]);
    }
    if (shown.empty()) {
      shown.push_back("No quantity changed");
    } else {
      shown.push_back("");
      shown.insert(shown.end(), preview->totals.begin(), preview->totals.end());
    }
    shown.push_back("");
    shown.insert(shown.end(), preview->warnings.begin(),
                 preview->warnings.end());
    EXPECT_EQ(shown, report);
    EXPECT_EQ(preview->warnings,
              Lines{"Warning: FPools.txt: 1 slot holds a class that no team "
                    "record of its side has; the first is class 99 in slot 2 "
                    "of Allied Lost Patrol (Allied, date 0)"});
  }
}

// The list's columns: pool, side, date, slot, team, type, old, new.
TEST(WindowModelTest, TheListShowsEachChangeInItsColumns) {
  DataFolder folder;
  const auto preview =
      MakePreview(LoadFolder(folder.Dir()), Values({"g", "100", "80", "50", "60"}));
  ASSERT_FALSE(preview->rows.empty());
  const auto columns = RowColumns(*preview, preview->rows[0]);
  EXPECT_EQ(Lines(columns.begin(), columns.end()),
            (Lines{"Kampfgruppe Nord", "German", "0", "2", "Grenadiers",
                   "Rifle", "4", "3"}));
}

// What stops a run stops the preview with tovrand's lines, in its order,
// and Write then writes nothing and says the same.
TEST(WindowModelTest, WhatStopsARunIsSaidInTovrandsWords) {
  const Lines negative = {"Given percent factors cannot be negative", "Aborted"};
  const struct {
    std::string remove;  // a file of the folder taken away
    Lines values;
    Lines preview;  // the preview's failure
    Lines write;    // Write's lines
  } kCases[] = {
      {"", {"g", "100", "-1", "50", "60"}, negative, negative},
      {"Tables.ini", {"g", "-1", "80", "50", "60"}, negative, negative},
      {"", {"x", "100", "80", "50", "60"},
       {"Side must be 'a' or 'g'", "Aborted"},
       {"Side must be 'a' or 'g'", "Aborted"}},
      {"Tables.ini", {"g", "100", "80", "50", "60"},
       {"Cannot open Tables.ini in current directory"},
       {"Cannot open Tables.ini in current directory"}},
      {"GETeams.txt", {"g", "100", "80", "50", "60"},
       {"Cannot open GETeams.txt"}, {"Cannot open GETeams.txt"}},
      {"", {"g", "300000", "80", "50", "60"},
       {"Error--Scaled quantity exceeds 32767"},
       {"Error--Scaled quantity exceeds 32767"}},
      {"Output", {"g", "100", "80", "50", "60"}, {},
       {"Failed to write FPools.txt to Output folder"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.remove + " " + c.values[0] + " " + c.values[1] + " " + c.values[2]);
    DataFolder folder;
    if (!c.remove.empty()) std::filesystem::remove(folder.Path(c.remove));
    const WindowValues values = Values(c.values);
    EXPECT_EQ(MakePreview(LoadFolder(folder.Dir()), values)->failure,
              c.preview);
    const WriteResult write = WriteOutput(folder.Dir(), values);
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.lines, c.write);
    EXPECT_FALSE(std::filesystem::exists(folder.Path("Output/FPools.txt")));
  }
}

// The window starts with a shortcut's five values, in the program's folder
// when it is a data folder.
TEST(WindowModelTest, StartsWithTheShortcutsValuesInTheDataFolder) {
  const char* five[] = {"tovrand-window", "a", "1", "2", "3", "4"};
  const WindowValues given = StartValues(6, five);
  EXPECT_EQ(Lines({given.side, given.tank_date0, given.infantry_date0,
                   given.tank_other, given.infantry_other}),
            Lines({"a", "1", "2", "3", "4"}));
  const WindowValues none = StartValues(5, five);
  EXPECT_EQ(Lines({none.side, none.tank_date0, none.infantry_date0,
                   none.tank_other, none.infantry_other}),
            Lines({"g", "100", "100", "100", "100"}));

  DataFolder data;
  ScratchDir other;
  EXPECT_EQ(StartFolder(data.Dir(), other.path()), data.Dir());
  EXPECT_EQ(StartFolder(other.path(), data.Dir()), data.Dir());
  std::filesystem::create_directory(other / "Tables.ini");
  EXPECT_EQ(StartFolder(other.path(), "here"), "here");
}

}  // namespace
}  // namespace tovrand
