#include "window/remembered.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/files.h"
#include "testing/scratch_dir.h"
#include "testing/window_values.h"

namespace tovrand {
namespace {

using Lines = std::vector<std::string>;

const char kWhole[] =
    "tovrand-window remembers\r\n"
    "folder=C:\\Games\\W\xC3\xBCrfel=1\r\n"
    "side=a\r\n"
    "date 0 tanks=80\r\n"
    "date 0 infantry= 5 tanks\r\n"
    "other dates tanks=50%\r\n"
    "other dates infantry=60\r\n"
    "end\r\n";

Remembered WholeOne() {
  Remembered r;
  r.folder = "C:\\Games\\W\xC3\xBCrfel=1";
  r.has_values = true;
  r.values = Values({"a", "80", " 5 tanks", "50%", "60"});
  return r;
}

// What is remembered is read back as it was written; a text that is not
// whole, or not the window's, is none.
TEST(WindowRememberedTest, ReadsBackWhatItWroteAndNothingElse) {
  EXPECT_EQ(RememberedText(WholeOne()), kWhole);
  const std::string whole = kWhole;
  const std::string head = "tovrand-window remembers\r\n";
  const std::string values =
      "side=g\r\ndate 0 tanks=1\r\ndate 0 infantry=2\r\n"
      "other dates tanks=3\r\nother dates infantry=4\r\n";
  const struct {
    std::string text;
    bool read;
    std::string folder;
    Lines five;  // empty: no values
  } kCases[] = {
      {whole, true, "C:\\Games\\W\xC3\xBCrfel=1", {"a", "80", " 5 tanks", "50%", "60"}},
      {head + "folder=D:\\Data\r\nend\r\n", true, "D:\\Data", {}},
      {head + values + "end\r\n", true, "", {"g", "1", "2", "3", "4"}},
      {head + "colour=red\r\nfolder=D:\\Data\r\nend\r\n", true, "D:\\Data", {}},
      {head + "end\r\n", false, "", {}},
      {head + "folder=\r\nend\r\n", false, "", {}},
      {head + "folder=D:\\A\r\nfolder=D:\\B\r\nend\r\n", false, "", {}},
      {head + "side=g\r\ndate 0 tanks=1\r\ndate 0 infantry=2\r\n"
              "other dates tanks=3\r\nend\r\n", false, "", {}},
      {head + values + "side=a\r\nend\r\n", false, "", {}},
      {head + "folder D:\\Data\r\nend\r\n", false, "", {}},
      {"tovrand-window remembers\nfolder=D:\\Data\nend\n", false, "", {}},
      {"tovrand remembers\r\nfolder=D:\\Data\r\nend\r\n", false, "", {}},
      {head + "folder=D:\\Data\r\nend\r\nend\r\n", false, "", {}},
      {"", false, "", {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    Remembered r;
    r.folder = "before";
    EXPECT_EQ(ReadRemembered(c.text, &r), c.read);
    EXPECT_EQ(r.folder, c.read ? c.folder : "before");
    EXPECT_EQ(r.has_values, c.read && !c.five.empty());
    if (r.has_values) {
      EXPECT_EQ(Five(r.values), c.five);
    }
  }
  // Cut short anywhere, it is none.
  for (size_t size = 0; size < whole.size(); ++size) {
    Remembered r;
    EXPECT_FALSE(ReadRemembered(whole.substr(0, size), &r)) << size;
  }
  // What could not be read back as it is, or is nothing, is not written.
  Remembered broken = WholeOne();
  broken.values.tank_other = "50\r\nfolder=E:\\";
  EXPECT_EQ(RememberedText(broken), "");
  broken = WholeOne();
  broken.folder = "C:\\A\nB";
  EXPECT_EQ(RememberedText(broken), "");
  EXPECT_EQ(RememberedText(Remembered()), "");
}

// The file on disk: written whole in a folder of its own, read back; one
// damaged is none; one that cannot be written costs only the memory.
TEST(WindowRememberedTest, KeepsItsFileWholeOrNotAtAll) {
  ScratchDir app_data;
  const std::string path = RememberedPath(app_data.path());
  EXPECT_EQ(path, app_data / "tovrand/tovrand-window.txt");
  EXPECT_EQ(RememberedPath(""), "");
  Remembered read;
  EXPECT_FALSE(LoadRemembered(path, &read));
  ASSERT_TRUE(SaveRemembered(path, WholeOne()));
  EXPECT_EQ(testdata::ReadFile(path), kWhole);
  EXPECT_EQ(std::filesystem::directory_iterator(app_data / "tovrand")->path(),
            path);  // nothing beside it
  ASSERT_TRUE(LoadRemembered(path, &read));
  EXPECT_EQ(read.folder, WholeOne().folder);
  EXPECT_EQ(Five(read.values), Five(WholeOne().values));

  testdata::WriteFile(path, std::string(kWhole).substr(0, 40));
  Remembered kept;
  kept.folder = "kept";
  EXPECT_FALSE(LoadRemembered(path, &kept));
  EXPECT_EQ(kept.folder, "kept");
  EXPECT_FALSE(SaveRemembered("", WholeOne()));
  EXPECT_FALSE(LoadRemembered("", &kept));

  // A file where its folder would be: nothing is written, nothing breaks.
  ScratchDir blocked;
  testdata::WriteFile(blocked / "tovrand", "a modder's file");
  EXPECT_FALSE(SaveRemembered(RememberedPath(blocked.path()), WholeOne()));
  EXPECT_EQ(testdata::ReadFile(blocked / "tovrand"), "a modder's file");
}

// Where the window starts: a folder given (or one of its files), a
// shortcut's values in the folder it starts in, or what it remembers; a
// remembered folder that is gone is said and passed over.
TEST(WindowRememberedTest, StartsWhereItWasUnlessToldOtherwise) {
  ScratchDir program, current, last, given;
  testdata::WriteFile(program / "Tables.ini", "");
  testdata::WriteFile(given / "tables.INI", "");
  testdata::WriteFile(given / "notes.txt", "");
  const std::string gone = last / "gone";
  const Lines usage = {"Usage: tovrand side tankpercent0 infpercent0 "
                       "tankpercentN infpercentN "};
  const Lines kDefaults = {"g", "100", "100", "100", "100"};
  const Lines kRemembered = {"a", "1", "2", "3", "4"};
  const Lines kShortcut = {"g", "9", "8", "7", "6"};
  const struct {
    Lines args;
    std::string remembered;  // the folder; "" none
    bool values;             // kRemembered remembered
    std::string program;     // the program's folder
    std::string folder;
    Lines five;
    Lines said;
  } kCases[] = {
      {{}, "", false, program.path(), program.path(), kDefaults, {}},
      {{}, "", false, last.path(), current.path(), kDefaults, {}},
      {{}, last.path(), true, program.path(), last.path(), kRemembered, {}},
      {{}, "", true, program.path(), program.path(), kRemembered, {}},
      {{}, gone, true, current.path(), current.path(), kRemembered,
       {"The data folder last used is gone: " + gone}},
      {kShortcut, last.path(), true, program.path(), program.path(), kShortcut, {}},
      {kShortcut, last.path(), true, given.path(), last.path(), kShortcut, {}},
      {kShortcut, "", false, given.path(), current.path(), kShortcut, {}},
      {{given.path()}, last.path(), true, program.path(), given.path(), kRemembered, {}},
      {{given / "tables.INI"}, "", false, program.path(), given.path(), kDefaults, {}},
      {{given / "nothing"}, "", false, program.path(), given / "nothing", kDefaults, {}},
      {{given / "notes.txt"}, last.path(), true, program.path(), last.path(), kRemembered,
       {"Not a data folder, nor Tables.ini, FPools.txt, AlsTeams.txt or "
        "GETeams.txt: " + given / "notes.txt"}},
      {{"a", "1"}, last.path(), true, program.path(), last.path(), kRemembered, usage},
  };
  // A file's folder keeps the separator of a root.
  const char* const kFolders[][2] = {
      {"/Tables.ini", "/"},          {"C:/FPools.txt", "C:/"},
      {"D:/Mods/GETeams.txt", "D:/Mods"}, {"Tables.ini", "."},
      {"a/b/AlsTeams.txt", "a/b"},
  };
  for (const auto& f : kFolders) EXPECT_EQ(FolderOfFile(f[0]), f[1]) << f[0];
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.args.size()) + " arguments, remembered " +
                 c.remembered + ", program in " + c.program);
    std::vector<const char*> argv = {"tovrand-window"};
    for (const std::string& arg : c.args) argv.push_back(arg.c_str());
    Remembered r;
    r.folder = c.remembered;
    r.has_values = c.values;
    if (c.values) r.values = Values(kRemembered);
    const WindowStart start = StartWindow(static_cast<int>(argv.size()),
                                          argv.data(), r, c.program,
                                          current.path());
    EXPECT_EQ(start.folder, c.folder);
    EXPECT_EQ(Five(start.values), c.five);
    EXPECT_EQ(start.said, c.said);
  }
}

}  // namespace
}  // namespace tovrand
