#include "table/layout_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/collected_messages.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

struct Tables {
  GameTables tables;
  RecordTable& bgroups = tables.bgroups;
  RecordTable& fpools = tables.fpools;
  RecordTable& geteams = tables.geteams;
  RecordTable& alsteams = tables.alsteams;
  LayoutError error;
  MisreadHeaders misread;

  bool Read(const std::string& text) {
    return ReadLayouts(text, &tables, &error, &misread);
  }
};

// "name:type:width" for each column, to compare layouts at a glance.
std::vector<std::string> Describe(const RecordTable& table) {
  std::vector<std::string> out;
  for (const ColumnDef& c : table.columns()) {
    out.push_back(c.name + ":" + std::string(1, c.type) + ":" +
                  std::to_string(c.width));
  }
  return out;
}

using Layout = std::vector<std::string>;

TEST(ReadLayoutsTest, ColumnLines) {
  const struct {
    const char* line;
    Layout columns;
  } cases[] = {
      {"\"Team Class 1\",W", {"Team Class 1:W:2"}},
      {"\"Flag\",B", {"Flag:B:1"}},
      {"\"Ptr\",P", {"Ptr:P:1"}},
      {"\"Count\",I", {"Count:I:4"}},
      {"\"Name\",S,20", {"Name:S:20"}},
      {"\"Name\",S, 20", {"Name:S:20"}},
      {"\"Name\",S,20bytes", {"Name:S:20"}},
      {"\"Name\",H,+12", {"Name:H:12"}},
      {"\"Name\",S,abc", {"Name:S:0"}},
      {"\"Name\",S", {"Name:S:0"}},
      {"\"Back\",H,-3", {"Back:H:-3"}},
      {"\"Huge\",S,99999999999", {"Huge:S:2147483647"}},
      {"\"Name\",S,,,20", {"Name:S:20"}},
      {"\"Name\",S,20,more,fields", {"Name:S:20"}},
      {"\"Class\",Word", {"Class:W:2"}},
      {"\"\",B", {":B:1"}},
      {",,\"Lead\",,W", {"Lead:W:2"}},
      {"x\"Name\"y,W", {"Name:W:2"}},
      {"\"Na\"me\",W", {"Na:W:2"}},
      {"\"A;B\",W", {"A;B:W:2"}},
      {"\"A-B\",W", {"A-B:W:2"}},
      {" \"Blank first\",W", {"Blank first:W:2"}},
      {"\"W\",W,junk", {"W:W:2"}},
      // Lines that add no column and print nothing.
      {"Name,W", {}},
      {"\"Name,W", {}},
      {",,,", {}},
      {"just text", {}},
  };
  for (const auto& c : cases) {
    Tables t;
    ASSERT_TRUE(t.Read(std::string("[FPools]\n") + c.line + "\n")) << c.line;
    EXPECT_EQ(Describe(t.fpools), c.columns) << c.line;
    EXPECT_EQ(t.fpools.recordSize(), 424);
  }
}

TEST(ReadLayoutsTest, FatalStops) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"[FPools]\n\"Class\",x\n", "Unknown col type: x"},
      {"[FPools]\n\"Class\", W\n", "Unknown col type:  "},
      {"[FPools]\n\"Class\",w\n", "Unknown col type: w"},
      {"[GETeams]\n\"A\",W\n\"Class\",\rW\r\n", "Unknown col type: \r"},
      {"[BGroups]\n\"Class\"\n", "Missing col type for column \"Class\""},
      {"[AlsTeams]\n\"Class\",,,\n", "Missing col type for column \"Class\""},
      {"[FPools]\n,\"Class\"\n", "Missing col type for column \"Class\""},
      // Notepad's "Unicode", little- and big-endian; an empty file's too.
      {"\xFF\xFE[\0F\0P\0o\0o\0l\0s\0]\0"s,
       "Tables.ini is saved as UTF-16: save it as ANSI or UTF-8"},
      {"\xFE\xFF\0[\0F\0P\0o\0o\0l\0s\0]"s,
       "Tables.ini is saved as UTF-16: save it as ANSI or UTF-8"},
      {"\xFF\xFE", "Tables.ini is saved as UTF-16: save it as ANSI or UTF-8"},
      // UTF-32, whose little-endian mark begins as UTF-16's does.
      {"\xFF\xFE\0\0[\0\0\0"s,
       "Tables.ini is saved as UTF-32: save it as ANSI or UTF-8"},
      {"\0\0\xFE\xFF\0\0\0["s,
       "Tables.ini is saved as UTF-32: save it as ANSI or UTF-8"},
  };
  for (const auto& c : cases) {
    Tables t;
    EXPECT_FALSE(t.Read(c.text)) << c.text;
    EXPECT_NE(t.error.kind, LayoutError::Kind::kNone);
    EXPECT_EQ(t.error.Text("Tables.ini"), c.message);
  }
}

TEST(ReadLayoutsTest, LinesOutsideRecognisedSectionsAreNeverParsed) {
  Tables t;
  ASSERT_TRUE(
      t.Read("\"Before\",x\n"
             "[fpools]\n\"Lower\",x\n"
             "[FPools] \n\"Trailing blank\",x\n"
             "[Other]\n\"Other\",x\n"
             "[FPools]\n\"Kept\",W\n"));
  EXPECT_EQ(t.error.kind, LayoutError::Kind::kNone);
  EXPECT_EQ(Describe(t.fpools), Layout{"Kept:W:2"});
}

TEST(ReadLayoutsTest, SectionsFillTheirOwnTables) {
  Tables t;
  ASSERT_TRUE(
      t.Read("[GETeams]\n\"G\",W\n"
             "[AlsTeams]\n\"A\",B\n"
             "[BGroups]\n\"B\",I\n"
             "[FPools]\n[Unused]\n"));
  EXPECT_EQ(Describe(t.geteams), Layout{"G:W:2"});
  EXPECT_EQ(Describe(t.alsteams), Layout{"A:B:1"});
  EXPECT_EQ(Describe(t.bgroups), Layout{"B:I:4"});
  EXPECT_EQ(t.geteams.recordSize(), 260);
  EXPECT_EQ(t.alsteams.recordSize(), 260);
  EXPECT_EQ(t.bgroups.recordSize(), 168);
  EXPECT_EQ(t.fpools.recordSize(), 424);  // set by a header alone
  EXPECT_EQ(t.fpools.columnCount(), 0);
}

TEST(ReadLayoutsTest, MissingSectionsAndEmptyFilesLeaveTablesEmpty) {
  for (const char* text : {"", "; only a comment\n", "[Other]\n\"X\",W\n"}) {
    Tables t;
    ASSERT_TRUE(t.Read(text));
    EXPECT_EQ(t.fpools.recordSize(), 0);
    EXPECT_EQ(t.fpools.columnCount(), 0);
  }
}

TEST(ReadLayoutsTest, ASectionReadTwiceKeepsTheLaterOne) {
  Tables t;
  ASSERT_TRUE(
      t.Read("[FPools]\n\"A\",W\n\"B\",W\n\"C\",W\n"
             "[GETeams]\n\"G\",W\n"
             "[FPools]\n\"D\",B\n"));
  EXPECT_EQ(Describe(t.fpools), Layout{"D:B:1"});
  EXPECT_EQ(Describe(t.geteams), Layout{"G:W:2"});
}

TEST(ReadLayoutsTest, LineEnds) {
  const struct {
    const char* name;
    std::string text;
    Layout columns;
  } cases[] = {
      {"CRLF", "[FPools]\r\n\"A\",W\r\n\"B\",S,3\r\n", {"A:W:2", "B:S:3"}},
      {"CR inside a line stays", "[FPools]\n\"A\rB\",W\n", {"A\rB:W:2"}},
      {"last line without LF", "[FPools]\n\"A\",W", {"A:W:2"}},
      {"CR at the end without LF", "[FPools]\n\"A\",S,4\r", {"A:S:4"}},
      {"Ctrl-Z ends the file", "[FPools]\n\"A\",W\n\x1A\"B\",W\n", {"A:W:2"}},
      {"Ctrl-Z ends a line", "[FPools]\n\"A\",W\x1A\"B\",W\n", {"A:W:2"}},
      {"the first of two Ctrl-Z ends the file",
       "[FPools]\n\"A\",W\n\x1A\"B\",W\n\x1A\"C\",W\n",
       {"A:W:2"}},
      {"comments and empty lines",
       "[FPools]\n\n;\"X\",W\n-\"Y\",W\n\r\n\"A\",W\n",
       {"A:W:2"}},
      {"header with CRLF", "[FPools]\r\n\"A\",W\n", {"A:W:2"}},
      {"header with CR kept", "[FPools]\r\r\n\"A\",W\n", {}},
      // Notepad's "UTF-8" marks the start; only there is the mark skipped.
      {"UTF-8 mark", "\xEF\xBB\xBF[FPools]\r\n\"A\",W\r\n", {"A:W:2"}},
      {"UTF-8 mark on a later line",
       "[FPools]\n\xEF\xBB\xBF\"A\",W\n\xEF\xBB\xBF[FPools]\n\"B\",W\n",
       {"A:W:2", "B:W:2"}},
  };
  for (const auto& c : cases) {
    Tables t;
    ASSERT_TRUE(t.Read(c.text)) << c.name;
    EXPECT_EQ(Describe(t.fpools), c.columns) << c.name;
  }
}

// Only a CR right before an LF belongs to the line end: on a last line
// without LF it is part of the header, which is then not recognised.
TEST(ReadLayoutsTest, HeaderLineEnds) {
  const struct {
    const char* text;
    int32_t record_size;  // of GETeams: 0 when the header is not recognised
  } cases[] = {
      {"[GETeams]", 260}, {"[GETeams]\n", 260},         {"[GETeams]\r\n", 260},
      {"[GETeams]\r", 0}, {"[FPools]\n[GETeams]\r", 0}, {"[GETeams]\r\r\n", 0},
  };
  for (const auto& c : cases) {
    Tables t;
    ASSERT_TRUE(t.Read(c.text)) << c.text;
    EXPECT_EQ(t.geteams.recordSize(), c.record_size) << c.text;
  }
}

// A section whose header is not recognised is missing, as the format says;
// the line for it says why when the header was there but for a byte-order
// mark before it or carriage returns after it.
TEST(ReadLayoutsTest, AMissingSectionSaysWhyItsHeaderWasMissed) {
  const std::string plain = "Tables.ini has no [FPools] section";
  const std::string mark =
      " holds [FPools] after a byte-order mark, an invisible character; type "
      "that line again";
  const std::string crs =
      " holds [FPools] and a stray carriage return; save the file with CR LF "
      "or LF line ends";
  const struct {
    const char* text;
    std::string line;
  } cases[] = {
      {";c\n\xEF\xBB\xBF[FPools]\n", plain + ": line 2" + mark},
      {"\xEF\xBB\xBF\xEF\xBB\xBF[FPools]\r\r\n", plain + ": line 1" + mark},
      {"[FPools]\r\r\n", plain + ": line 1" + crs},
      {"[GETeams]\n\"A\",W\n[FPools]\r\r\r\n", plain + ": line 3" + crs},
      {"[FPools]\r\r\n[FPools]\r", plain + ": line 1" + crs},  // the first
      {"[FPools]\r", plain + ": line 1" + crs},  // a last line without LF
      {"\xEF\xBB\xBF[FPools] \n", plain},          // a blank is no mark
      {"[GETeams]\r\r\n", plain},                   // another section's
      {"[fpools]\r\r\n", plain},
      {"x\xEF\xBB\xBF[FPools]\n", plain},
  };
  for (const auto& c : cases) {
    Tables t;
    ASSERT_TRUE(t.Read(c.text)) << c.text;
    EXPECT_EQ(t.fpools.recordSize(), 0) << c.text;
    EXPECT_EQ(NoSectionText("Tables.ini", "FPools", t.misread), c.line)
        << c.text;
  }
  // A section read as well as misread is not missing.
  Tables t;
  ASSERT_TRUE(t.Read("\xEF\xBB\xBF;\n\xEF\xBB\xBF[FPools]\n[FPools]\n"));
  EXPECT_EQ(t.fpools.recordSize(), 424);
  EXPECT_TRUE(t.misread.empty());
}

TEST(ReadLayoutsTest, NoLimitOnColumnsNamesOrLines) {
  const std::string long_name(5000, 'n');
  std::string text =
      "[FPools]\n\"" + long_name + "\",S," + std::string(3000, ' ') + "7\n";
  for (int k = 0; k < 1000; ++k) text += "\"C" + std::to_string(k) + "\",W\n";
  Tables t;
  ASSERT_TRUE(t.Read(text));
  ASSERT_EQ(t.fpools.columnCount(), 1001);
  EXPECT_EQ(t.fpools.columns()[0].name, long_name);
  EXPECT_EQ(t.fpools.columns()[0].width, 7);
  EXPECT_EQ(t.fpools.Find("C999").offset, 7 + 2 * 999);
}

TEST(LayoutLineReaderTest, PushBackHandsTheLineOutAgain) {
  LayoutLineReader lines("a\n;c\nb\n");
  std::string_view line;
  ASSERT_TRUE(lines.Next(&line));
  EXPECT_EQ(line, "a");
  lines.PushBack(line);
  ASSERT_TRUE(lines.Next(&line));
  EXPECT_EQ(line, "a");
  ASSERT_TRUE(lines.Next(&line));
  EXPECT_EQ(line, "b");
  EXPECT_FALSE(lines.Next(&line));
}

TEST(LoadLayoutsTest, MissingFileIsReportedAndNotFatal) {
  GameTables tables;
  CollectedMessages messages;
  ScratchDir empty;
  InDirectory in_empty(empty.path());
  EXPECT_FALSE(LoadLayouts(&tables, &messages));
  EXPECT_EQ(messages.lines, std::vector<std::string>{
                                "Cannot open Tables.ini in current directory"});
}

}  // namespace
}  // namespace tovrand
