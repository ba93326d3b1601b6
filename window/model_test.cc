#include "window/model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "report/diff.h"
#include "testing/collected_messages.h"
#include "testing/data_builder.h"
#include "testing/file_size_limit.h"
#include "testing/files.h"
#include "testing/output_cases.h"
#include "testing/scratch_dir.h"
#include "testing/window_values.h"

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

// `lines` with FOLDER in each replaced by `folder`.
Lines InFolder(Lines lines, const std::string& folder) {
  for (std::string& line : lines) {
    const size_t at = line.find("FOLDER");
    if (at != std::string::npos) line.replace(at, 6, folder);
  }
  return lines;
}

const Lines kUnchanged = {"g", "100", "100", "100", "100"};
const char kWritten[] = "New FPools.txt has been placed in Output folder";
const char kWriteFailed[] = "Failed to write FPools.txt to Output folder";


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

    const WriteResult write = WriteShown(*LoadFolder(folder.Dir()), values);
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
      // The window shows its data folder: that is where it looked.
      {"Tables.ini", {"g", "100", "80", "50", "60"},
       {"Cannot open Tables.ini in FOLDER"},
       {"Cannot open Tables.ini in FOLDER"}},
      {"GETeams.txt", {"g", "100", "80", "50", "60"},
       {"Cannot open GETeams.txt"}, {"Cannot open GETeams.txt"}},
      {"", {"g", "300000", "80", "50", "60"},
       {"Error--Scaled quantity exceeds 32767"},
       {"Error--Scaled quantity exceeds 32767"}},
      {"", {"g", "", "80", "50", "60"},
       {"Date 0 tanks: type a whole number of percent, such as 80"},
       {"Date 0 tanks: type a whole number of percent, such as 80"}},
      {"", {"", "100", "80", "50", "60"},
       {"Side must be 'a' or 'g'", "Aborted"},
       {"Side must be 'a' or 'g'", "Aborted"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.remove + " " + c.values[0] + " " + c.values[1] + " " + c.values[2]);
    DataFolder folder;
    if (!c.remove.empty()) std::filesystem::remove(folder.Path(c.remove));
    const WindowValues values = Values(c.values);
    EXPECT_EQ(MakePreview(LoadFolder(folder.Dir()), values)->failure,
              InFolder(c.preview, folder.Dir()));
    const WriteResult write = WriteShown(*LoadFolder(folder.Dir()), values);
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.lines, InFolder(c.write, folder.Dir()));
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

// A field holds a number when tovrand reads one by its digits; the window
// refuses the rest, where tovrand would read 0, and says what it needs.
TEST(WindowModelTest, EachFieldTakesWhatTovrandReadsAsANumber) {
  const struct {
    std::string text;
    bool number;
  } kCases[] = {
      {"50", true},    {"50%", true},  {"+50", true}, {" \t50", true},
      {"-0", true},    {"5 tanks", true}, {"0", true},
      {"", false},     {"   ", false}, {"abc", false}, {"-", false},
      {"+", false},    {"%50", false}, {"+-5", false}, {"x5", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE("'" + c.text + "'");
    WindowValues values;
    values.infantry_other = c.text;
    EXPECT_EQ(FieldProblems(values),
              c.number ? Lines{}
                       : Lines{"Other dates infantry: type a whole number of "
                               "percent, such as 80"});
  }
  // Each field by its label, in the window's order.
  const WindowValues empty = Values({"g", "", "", "", ""});
  EXPECT_EQ(FieldProblems(empty),
            (Lines{"Date 0 tanks: type a whole number of percent, such as 80",
                   "Date 0 infantry: type a whole number of percent, such as 80",
                   "Other dates tanks: type a whole number of percent, such as 80",
                   "Other dates infantry: type a whole number of percent, such "
                   "as 80"}));
  // A number tovrand refuses is refused in its words.
  DataFolder folder;
  EXPECT_EQ(MakePreview(LoadFolder(folder.Dir()), Values({"g", "1", "2", "-3", "4"}))
                ->failure,
            (Lines{"Given percent factors cannot be negative", "Aborted"}));
}

// Values after the program's name other than none or five: tovrand's usage
// line, and the window starts from the defaults.
TEST(WindowModelTest, AWrongNumberOfStartValuesSaysTovrandsUsage) {
  const char* argv[] = {"tovrand-window", "a", "1", "2", "3", "4", "5"};
  for (const int argc : {1, 2, 5, 7}) {
    SCOPED_TRACE(argc);
    Lines said;
    const WindowValues values = StartValues(argc, argv, &said);
    EXPECT_EQ(said, argc == 1 ? Lines{}
                              : Lines{"Usage: tovrand side tankpercent0 "
                                      "infpercent0 tankpercentN infpercentN "});
    EXPECT_EQ(Lines({values.side, values.tank_date0, values.infantry_date0,
                     values.tank_other, values.infantry_other}),
              Lines({"g", "100", "100", "100", "100"}));
  }
}

// Write writes what the preview was made from, or nothing: a file changed
// since (the same size and time too) stops it, says which, and asks for the
// folder to be read anew; read anew, the next Write writes.
TEST(WindowModelTest, WriteWritesWhatTheWindowShowedOrNothing) {
  const Lines kShowAgain = {
      "The list now shows the data folder as it is: look it over, then Write "
      "again"};
  const auto changed = [&](Lines files) {
    for (std::string& file : files)
      file += " has changed since the window showed it: nothing was written";
    files.insert(files.end(), kShowAgain.begin(), kShowAgain.end());
    return files;
  };
  // One byte of a file flipped, its size and time kept.
  const auto flip = [](DataFolder* f, const std::string& name, size_t at) {
    const std::filesystem::path path = f->Path(name);
    const auto time = std::filesystem::last_write_time(path);
    std::string bytes = testdata::ReadFile(path);
    bytes[at] ^= 1;
    f->Write(name, bytes);
    std::filesystem::last_write_time(path, time);
  };
  const struct {
    const char* what;
    void (*change)(DataFolder*);
    Lines lines;
  } kCases[] = {
      // The guide's own step: the output put in the input's place.
      {"FPools.txt replaced by a scaled one",
       [](DataFolder* f) {
         ASSERT_EQ(WriteShown(*LoadFolder(f->Dir()), Values({"g", "50", "50", "50", "50"})).status, 0);
         f->Write("FPools.txt", testdata::ReadFile(f->Path("Output/FPools.txt")));
         std::filesystem::remove(f->Path("Output/FPools.txt"));
       },
       changed({"FPools.txt"})},
      {"FPools.txt, same size and time", nullptr, changed({"FPools.txt"})},
      {"Tables.ini",
       [](DataFolder* f) {
         f->Write("Tables.ini",
                  testdata::StandardLayout() + "; a note of the modder's\r\n");
       },
       changed({"Tables.ini"})},
      {"AlsTeams.txt and GETeams.txt", nullptr,
       changed({"AlsTeams.txt", "GETeams.txt"})},
      {"FPools.txt cut short",
       [](DataFolder* f) {
         const std::string bytes = testdata::ReadFile(f->Path("FPools.txt"));
         f->Write("FPools.txt", bytes.substr(0, bytes.size() - 100));
       },
       changed({"FPools.txt"})},
      {"FPools.txt gone",
       [](DataFolder* f) { std::filesystem::remove(f->Path("FPools.txt")); },
       {"Cannot open FPools.txt"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    DataFolder folder;
    const auto shown = LoadFolder(folder.Dir());
    if (c.change != nullptr) {
      c.change(&folder);
    } else if (c.lines.front().rfind("FPools", 0) == 0) {
      flip(&folder, "FPools.txt", 0);
    } else {
      flip(&folder, "AlsTeams.txt", 1);
      flip(&folder, "GETeams.txt", 2);
    }
    const WriteResult write = WriteShown(*shown, Values(kUnchanged));
    EXPECT_EQ(write.status, 1);
    EXPECT_EQ(write.lines, c.lines);
    EXPECT_TRUE(write.reload);
    EXPECT_FALSE(std::filesystem::exists(folder.Path("Output/FPools.txt")));
    if (std::filesystem::exists(folder.Path("FPools.txt"))) {
      const WriteResult again = WriteShown(*LoadFolder(folder.Dir()), Values(kUnchanged));
      EXPECT_EQ(again.lines, Lines{kWritten});
      EXPECT_FALSE(again.reload);
      EXPECT_EQ(testdata::ReadFile(folder.Path("Output/FPools.txt")),
                testdata::ReadFile(folder.Path("FPools.txt")));
    }
  }
}

// The window's warnings are tovdiff's after the same run, word for word and
// in its order, each kind that a run can leave.
TEST(WindowModelTest, TheWindowSaysEveryWarningTovdiffGives) {
  const std::string lost =
      "Warning: FPools.txt: 1 slot holds a class that no team record of its "
      "side has; the first is class 99 in slot 2 of Allied Lost Patrol "
      "(Allied, date 0)";
  const struct {
    const char* what;
    void (*change)(DataFolder*);
    Lines warnings;
  } kCases[] = {
      {"a class of no team", [](DataFolder*) {}, {lost}},
      {"slots outside the record",
       [](DataFolder* f) {
         std::string layout = testdata::StandardLayout();
         layout.replace(layout.find("\"Reserved\",S,300\r\n"), 19,
                        "\"Reserved\",S,300\r\n\"Pad\",S,44\r\n"
                        "\"Team Class 21\",W\r\n\"Quantity 21\",W\r\n");
         f->Write("Tables.ini", layout);
       },
       {"Warning: Tables.ini: the [FPools] columns run to byte 472, past the "
        "end of its 424-byte records; 1 slot that lies outside a record is "
        "not compared",
        lost}},
      {"team columns past the record",
       [](DataFolder* f) {
         std::string layout = testdata::StandardLayout();
         layout.replace(layout.find("\"Cost\",W\r\n"), 10,
                        "\"Cost\",W\r\n\"Extra\",S,8\r\n");
         f->Write("Tables.ini", layout);
       },
       {"Warning: Tables.ini: the [AlsTeams] columns run to byte 268, past "
        "the end of its 260-byte records",
        lost}},
      {"files of part records",
       [](DataFolder* f) {
         f->Write("FPools.txt", testdata::ReadFile(f->Path("FPools.txt")) + "ab");
         f->Write("GETeams.txt", testdata::ReadFile(f->Path("GETeams.txt")) + "abc");
       },
       {"Warning: FPools.txt: 2546 bytes are not a whole number of 424-byte "
        "records",
        "Warning: Output/FPools.txt: 2546 bytes are not a whole number of "
        "424-byte records",
        "Warning: GETeams.txt: 783 bytes are not a whole number of 260-byte "
        "records",
        lost}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    DataFolder folder;
    c.change(&folder);
    const Lines values = {"g", "100", "80", "50", "60"};
    const auto shown = LoadFolder(folder.Dir());
    const auto preview = MakePreview(shown, Values(values));
    ASSERT_EQ(preview->failure, Lines{});
    EXPECT_EQ(preview->warnings, c.warnings);
    ASSERT_EQ(WriteShown(*shown, Values(values)).lines, Lines{kWritten});
    Lines said;
    for (const std::string& line : folder.Report())
      if (line.rfind("Warning: ", 0) == 0) said.push_back(line);
    EXPECT_EQ(preview->warnings, said);
  }
}

// What a Write leaves in Output, by what stands there, from a data folder
// that is not the current directory: tovrand's lines, then the window's
// line of why (the same table runs through tovrand, testing/e2e_test.cc).
TEST(WindowModelTest, WhatAWriteLeavesInOutput) {
  for (const testdata::OutputCase& c : testdata::kOutputCases) {
    SCOPED_TRACE(c.what);
    DataFolder folder;
    folder.Write("Output/FPools.txt", "previous output");
    c.setup(folder.Dir());
    const auto before = testdata::DirectoryState(folder.Path("Output"));
    const WriteResult write = WriteShown(*LoadFolder(folder.Dir()), Values(kUnchanged));
    EXPECT_FALSE(write.reload);
    if (!c.replaced) {
      EXPECT_EQ(write.status, 1);
      EXPECT_EQ(write.lines, (Lines{kWriteFailed, c.cause}));
      EXPECT_EQ(testdata::DirectoryState(folder.Path("Output")), before);
      EXPECT_EQ(write.no_output, c.cause == testdata::kOutputCases[0].cause);
      continue;
    }
    auto after = c.kept;
    after["FPools.txt"] = testdata::ReadFile(folder.Path("FPools.txt"));
    EXPECT_EQ(write.status, 0);
    EXPECT_EQ(write.lines, Lines{kWritten});
    EXPECT_EQ(testdata::DirectoryState(folder.Path("Output")), after);
  }
  // What only the window's table tells apart: a pipe of the output's name,
  // and a disk that fills up, which is what is left when the folder shows
  // no cause.
  const struct {
    const char* what;
    bool pipe;  // else the disk fills up
    const char* cause;
  } kUnwritable[] = {
      {"a pipe", true,
       "Output/FPools.txt is not a file: a device or a pipe has its name"},
      {"a full disk", false,
       "Output could not be written: the disk may be full, or this user may "
       "not write there"},
  };
  for (const auto& c : kUnwritable) {
    SCOPED_TRACE(c.what);
    DataFolder folder;
    const auto shown = LoadFolder(folder.Dir());
    if (c.pipe) {
      ASSERT_EQ(mkfifo(folder.Path("Output/FPools.txt").c_str(), 0666), 0);
    }
    WriteResult write;
    {
      const FileSizeLimit limit(c.pipe ? RLIM_INFINITY : 1024);
      write = WriteShown(*shown, Values(kUnchanged));
    }
    EXPECT_EQ(write.lines, (Lines{kWriteFailed, c.cause}));
  }
  // Offered, the window makes the Output folder, and the Write then writes.
  DataFolder folder;
  std::filesystem::remove(folder.Path("Output"));
  ASSERT_TRUE(MakeOutputFolder(folder.Dir()));
  EXPECT_FALSE(MakeOutputFolder(folder.Dir()));
  EXPECT_EQ(WriteShown(*LoadFolder(folder.Dir()), Values(kUnchanged)).lines,
            Lines{kWritten});
}

}  // namespace
}  // namespace tovrand
