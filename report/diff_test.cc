#include "report/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/commit.h"
#include "pool/team_types.h"
#include "testing/collected_messages.h"
#include "testing/data_builder.h"
#include "testing/file_buffer_shortage.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

using testdata::kAlliedTeams;
using testdata::kGermanTeams;
using testdata::kPools;
using testdata::PutWord;
using testdata::QuantityOffset;
using testdata::Team;
using testdata::TeamClassOffset;
using Lines = std::vector<std::string>;

// The files of a data folder after a run, of the small data set (German
// Kampfgruppe Nord at date 0, Sud at 1943, the side pool German Reserve;
// Allied Task Force Able at 0, Baker at 1944): the layout, FPools.txt and its
// copy in Output, and both team files, in a scratch directory that is the
// current one while the test looks.
struct DataFolder {
  std::string layout = testdata::StandardLayout();
  std::string before = testdata::PoolRecords(kPools);
  std::string after = before;
  std::vector<Team> allied = kAlliedTeams;
  std::vector<Team> german = kGermanTeams;
  std::string allied_tail;     // bytes after AlsTeams.txt's records
  std::string german_tail;     // bytes after GETeams.txt's records
  std::vector<std::string> missing;  // files not written
  // Files made this many bytes long; the bytes they gain are a hole that
  // takes no disk space.
  std::map<std::string, uintmax_t> sizes;
  // Files that are links to these paths instead.
  std::map<std::string, std::string> links;
  // The file buffer that memory runs out for, from 1 in the order tovdiff
  // reads the files (the layout, before, after, Allied and German teams),
  // or 0; and whether any buffer can grow.
  int short_buffer = 0;
  bool buffers_grow = true;

  // Runs tovdiff's command line with `args` in the folder.
  int Run(const Lines& args, Lines* lines) const {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "Output");
    const std::pair<const char*, std::string> files[] = {
        {"Tables.ini", layout},
        {"FPools.txt", before},
        {"Output/FPools.txt", after},
        {"AlsTeams.txt", testdata::TeamRecords(allied) + allied_tail},
        {"GETeams.txt", testdata::TeamRecords(german) + german_tail}};
    for (const auto& [name, bytes] : files) {
      if (std::find(missing.begin(), missing.end(), name) == missing.end())
        testdata::WriteFile(dir / name, bytes);
    }
    for (const auto& [name, size] : sizes)
      std::filesystem::resize_file(dir / name, size);
    for (const auto& [name, target] : links) {
      std::filesystem::remove(dir / name);
      std::filesystem::create_symlink(target, dir / name);
    }
    InDirectory in(dir.path());
    FileBufferShortage shortage(short_buffer, !buffers_grow);
    std::vector<const char*> argv = {"tovdiff"};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    CollectedMessages out;
    const int status =
        RunDiff(static_cast<int>(argv.size()), argv.data(), &out);
    *lines = out.lines;
    return status;
  }
};

// Sets quantity `k` of pool `index` in a file of kPools's records.
void SetQuantity(std::string* pools, int index, int k, int quantity) {
  PutWord(pools, testdata::kPoolSize * index + QuantityOffset(k), quantity);
}

// Gives pool `index` the name `name` in both FPools files: its bytes, then
// NULs to the width of the field.
void Rename(DataFolder* f, int index, const std::string& name) {
  std::string field = name;
  field.resize(testdata::kPoolNameWidth, '\0');
  for (std::string* pools : {&f->before, &f->after})
    pools->replace(testdata::kPoolSize * index, field.size(), field);
}

// Sets the word at `offset` of pool `index` in both FPools files.
void PutInBoth(DataFolder* f, int index, int offset, int value) {
  for (std::string* pools : {&f->before, &f->after})
    PutWord(pools, testdata::kPoolSize * index + offset, value);
}

TEST(DiffTest, Reports) {
  const struct {
    const char* name;
    std::function<void(DataFolder*)> change;
    Lines report;
  } kCases[] = {
      {"nothing changed", [](DataFolder*) {}, {"No quantity changed"}},
      {"one side's other dates",
       [](DataFolder* f) {
         SetQuantity(&f->after, 1, 1, 6);
         SetQuantity(&f->after, 1, 2, 2);
       },
       {"Kampfgruppe Sud (German, date 1943), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        "Kampfgruppe Sud (German, date 1943), slot 2, Grenadiers (Rifle): "
        "4 -> 2",
        "", "German, date 0, tank: 24 -> 24", "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 2"}},
      // The Jeep counts as a tank; the truck in no category.
      {"both sides, Allied totals first",
       [](DataFolder* f) {
         SetQuantity(&f->after, 0, 3, 1);
         SetQuantity(&f->after, 4, 1, 0);
       },
       {"Kampfgruppe Nord (German, date 0), slot 3, Opel Blitz (Truck): 3 -> 1",
        "Task Force Baker (Allied, date 1944), slot 1, Jeep (Recon Vehicle): "
        "10 -> 0",
        "", "Allied, date 0, tank: 10 -> 10",
        "Allied, date 0, infantry: 10 -> 10",
        "Allied, other dates, tank: 10 -> 0",
        "Allied, other dates, infantry: 10 -> 10",
        "German, date 0, tank: 24 -> 24", "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 12",
        "German, other dates, infantry: 4 -> 4"}},
      // A class no team has is counted nowhere; the warning is told once
      // for the two files that hold it alike.
      {"a class no team record has",
       [](DataFolder* f) {
         for (std::string* pools : {&f->before, &f->after})
           PutWord(pools, testdata::kPoolSize + TeamClassOffset(2), 99);
         SetQuantity(&f->after, 1, 2, 3);
       },
       {"Kampfgruppe Sud (German, date 1943), slot 2, class 99 (no team): "
        "4 -> 3",
        "", "German, date 0, tank: 24 -> 24", "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 12",
        "German, other dates, infantry: 0 -> 0", "",
        "Warning: FPools.txt: 1 slot holds a class that no team record of its "
        "side has; the first is class 99 in slot 2 of Kampfgruppe Sud "
        "(German, date 1943)"}},
      // Control characters in names cannot break the line; a team without a
      // name shows its class, an unknown type its code.
      {"names and types out of the ordinary",
       [](DataFolder* f) {
         f->german[0] = Team{"", 5, 45};
         for (std::string* pools : {&f->before, &f->after})
           (*pools)[testdata::kPoolSize + 2] = '\n';
         SetQuantity(&f->after, 1, 1, 13);
       },
       {"Ka?pfgruppe Sud (German, date 1943), slot 1, class 5 (type 45): "
        "12 -> 13",
        "", "German, date 0, tank: 0 -> 0", "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 0 -> 0",
        "German, other dates, infantry: 4 -> 4"}},
      {"a byte outside the quantities",
       [](DataFolder* f) { f->after[testdata::kPoolSize * 1] = 'X'; },
       {"No quantity changed", "",
        "Warning: 1 byte differs outside the Quantity fields; the first is "
        "byte 0 of Kampfgruppe Sud (German, date 1943), in column \"Name\""}},
      {"a class changed",
       [](DataFolder* f) {
         PutWord(&f->after, TeamClassOffset(1), 9);
         PutWord(&f->after, testdata::kPoolSize * 2 + TeamClassOffset(1), 9);
       },
       {"No quantity changed", "",
        "Warning: 2 bytes differ outside the Quantity fields; the first is "
        "byte 44 of Kampfgruppe Nord (German, date 0), in column \"Team "
        "Class 1\""}},
      {"an output of a part record more",
       [](DataFolder* f) { f->after += std::string(10, '\0'); },
       {"No quantity changed", "",
        "Warning: Output/FPools.txt: 2130 bytes are not a whole number of "
        "424-byte records",
        "Warning: FPools.txt has 2120 bytes and Output/FPools.txt 2130: only "
        "their first 5 records were compared"}},
      {"an output a record short",
       [](DataFolder* f) {
         f->after.resize(f->after.size() - testdata::kPoolSize);
         SetQuantity(&f->after, 3, 2, 5);
       },
       {"Task Force Able (Allied, date 0), slot 2, Riflemen (Rifle): 10 -> 5",
        "", "Allied, date 0, tank: 10 -> 10",
        "Allied, date 0, infantry: 10 -> 5",
        "Allied, other dates, tank: 10 -> 0",
        "Allied, other dates, infantry: 10 -> 0", "",
        "Warning: FPools.txt has 2120 bytes and Output/FPools.txt 1696: only "
        "their first 4 records were compared"}},
      {"team columns past the record",
       [](DataFolder* f) {
         f->layout.replace(f->layout.find("\"Cost\",W\r\n"), 10,
                           "\"Cost\",W\r\n\"Extra\",S,8\r\n");
         f->allied.push_back({"Jeep", 8, kTruck});
         f->allied.push_back({"Bren Carrier", 12, kHalftrack});
       },
       {"No quantity changed", "",
        "Warning: Tables.ini: the [AlsTeams] columns run to byte 268, past "
        "the end of its 260-byte records"}},
      {"a team file of part records",
       [](DataFolder* f) { f->german_tail = "abc"; },
       {"No quantity changed", "",
        "Warning: GETeams.txt: 783 bytes are not a whole number of 260-byte "
        "records"}},
      // Data that is not well formed: names, nationalities, types, slots
      // and lengths out of the ordinary.
      {"a pool without a name, numbered from 1",
       [](DataFolder* f) {
         Rename(f, 2, "");
         SetQuantity(&f->after, 2, 1, 6);
       },
       {"pool 3 (German, date 0), slot 1, Panzer IV (Medium Tank): "
        "12 -> 6",
        "", "German, date 0, tank: 24 -> 18",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 12",
        "German, other dates, infantry: 4 -> 4"}},
      {"names padded with blanks",
       [](DataFolder* f) {
         Rename(f, 0, "Kampfgruppe Nord" + std::string(24, ' '));
         f->german[0].name = "Panzer IV   ";
         SetQuantity(&f->after, 0, 1, 6);
       },
       {"Kampfgruppe Nord (German, date 0), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        "", "German, date 0, tank: 24 -> 18",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 12",
        "German, other dates, infantry: 4 -> 4"}},
      {"DEL in names",
       [](DataFolder* f) {
         Rename(f, 1, "Kampfgruppe\x7FSud");
         f->german[0].name = "Panzer\x7FIV";
         SetQuantity(&f->after, 1, 1, 6);
       },
       {"Kampfgruppe?Sud (German, date 1943), slot 1, Panzer?IV (Medium "
        "Tank): 12 -> 6",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 4"}},
      // Looked up in GETeams, as tovrand looks up any nationality but 0, and
      // on no side's totals.
      {"a pool of nationality 2",
       [](DataFolder* f) {
         for (std::string* pools : {&f->before, &f->after})
           (*pools)[testdata::kPoolNationality] = 2;
         SetQuantity(&f->after, 0, 1, 6);
       },
       {"Kampfgruppe Nord (nationality 2, date 0), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        ""}},
      // GETeams' Type put at byte 260: each record's is the first bytes of
      // the next one's name (no type of a category), and the last record's
      // lies past the end of the file.
      {"a team whose type cannot be read",
       [](DataFolder* f) {
         const std::string from =
             "[GETeams]\r\n\"Name\",S,40\r\n\"Class\",W\r\n\"Type\",W\r\n"
             "\"Cost\",W\r\n\"Reserved\",S,214\r\n";
         f->layout.replace(f->layout.find(from), from.size(),
                           "[GETeams]\r\n\"Name\",S,40\r\n\"Class\",W\r\n"
                           "\"Cost\",W\r\n\"Reserved\",S,216\r\n\"Type\",W\r\n");
         SetQuantity(&f->after, 0, 3, 1);
       },
       {"Kampfgruppe Nord (German, date 0), slot 3, Opel Blitz (unknown "
        "type): 3 -> 1",
        "", "German, date 0, tank: 0 -> 0",
        "German, date 0, infantry: 0 -> 0",
        "German, other dates, tank: 0 -> 0",
        "German, other dates, infantry: 0 -> 0", "",
        "Warning: Tables.ini: the [GETeams] columns run to byte 262, past the "
        "end of its 260-byte records"}},
      // A pool ends at its first negative class: the Grenadiers after it
      // change, but count in no total.
      {"slots after a negative class",
       [](DataFolder* f) {
         PutInBoth(f, 0, TeamClassOffset(2), -1);
         PutInBoth(f, 0, TeamClassOffset(3), 9);
         PutInBoth(f, 0, QuantityOffset(3), 4);
         SetQuantity(&f->after, 0, 1, 6);
         SetQuantity(&f->after, 0, 3, 2);
       },
       {"Kampfgruppe Nord (German, date 0), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        "Kampfgruppe Nord (German, date 0), slot 3, Grenadiers (Rifle): "
        "4 -> 2",
        "", "German, date 0, tank: 24 -> 18",
        "German, date 0, infantry: 0 -> 0",
        "German, other dates, tank: 12 -> 12",
        "German, other dates, infantry: 4 -> 4"}},
      // 12 and 268 differ only in a Quantity field's high byte.
      {"a quantity changed in its high byte",
       [](DataFolder* f) { SetQuantity(&f->after, 1, 1, 12 + 256); },
       {"Kampfgruppe Sud (German, date 1943), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 268",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 268",
        "German, other dates, infantry: 4 -> 4"}},
      {"every file ending in a part record",
       [](DataFolder* f) {
         f->before += std::string(10, '\0');
         f->after += std::string(10, '\0');
         f->allied_tail = "ab";
         f->german_tail = "abc";
       },
       {"No quantity changed", "",
        "Warning: FPools.txt: 2130 bytes are not a whole number of 424-byte "
        "records",
        "Warning: Output/FPools.txt: 2130 bytes are not a whole number of "
        "424-byte records",
        "Warning: AlsTeams.txt: 782 bytes are not a whole number of 260-byte "
        "records",
        "Warning: GETeams.txt: 783 bytes are not a whole number of 260-byte "
        "records"}},
      {"a byte differing in the part record at the end",
       [](DataFolder* f) {
         f->before += std::string(10, '\0');
         f->after += std::string(3, '\0') + "X" + std::string(6, '\0');
       },
       {"No quantity changed", "",
        "Warning: FPools.txt: 2130 bytes are not a whole number of 424-byte "
        "records",
        "Warning: Output/FPools.txt: 2130 bytes are not a whole number of "
        "424-byte records",
        "Warning: 1 byte differs outside the Quantity fields; the first is "
        "byte 3 of the part record at the end, in column \"Name\""}},
      // As many slots without a team in both files, but not the same ones:
      // the output's are told too.
      {"an output whose unmatched slots start elsewhere",
       [](DataFolder* f) {
         PutWord(&f->before, testdata::kPoolSize + TeamClassOffset(2), 99);
         PutWord(&f->after, TeamClassOffset(2), 99);
       },
       {"No quantity changed", "",
        "Warning: FPools.txt: 1 slot holds a class that no team record of its "
        "side has; the first is class 99 in slot 2 of Kampfgruppe Sud "
        "(German, date 1943)",
        "Warning: Output/FPools.txt: 1 slot holds a class that no team record "
        "of its side has; the first is class 99 in slot 2 of Kampfgruppe "
        "Nord (German, date 0)",
        "Warning: 2 bytes differ outside the Quantity fields; the first is "
        "byte 48 of Kampfgruppe Nord (German, date 0), in column \"Team "
        "Class 2\""}},
      // An output with no slot of a class no team has, from an input with
      // one: only the input's is told.
      {"an output without the input's unmatched slot",
       [](DataFolder* f) {
         PutWord(&f->before, testdata::kPoolSize + TeamClassOffset(2), 99);
       },
       {"No quantity changed", "",
        "Warning: FPools.txt: 1 slot holds a class that no team record of its "
        "side has; the first is class 99 in slot 2 of Kampfgruppe Sud "
        "(German, date 1943)",
        "Warning: 1 byte differs outside the Quantity fields; the first is "
        "byte 48 of Kampfgruppe Sud (German, date 1943), in column \"Team "
        "Class 2\""}},
      // The game's files are Windows-1252: letters show as themselves,
      // bytes that code page leaves undefined as '?'.
      {"Windows-1252 names",
       [](DataFolder* f) {
         Rename(f, 1,
                "Panzergruppe S\xFC"
                "d F\xFChrer");
         f->german[0].name = "\x80\x81\x8A\x9F\xA0\xE9\xFF";
         SetQuantity(&f->after, 1, 1, 6);
       },
       {"Panzergruppe S\xC3\xBC"
        "d F\xC3\xBChrer (German, date 1943), slot 1, "
        "\xE2\x82\xAC?\xC5\xA0\xC5\xB8\xC2\xA0\xC3\xA9\xC3\xBF (Medium Tank): "
        "12 -> 6",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 4"}},
      {"a layout saved with a UTF-8 mark",
       [](DataFolder* f) {
         f->layout = "\xEF\xBB\xBF" + f->layout;
         SetQuantity(&f->after, 1, 2, 2);
       },
       {"Kampfgruppe Sud (German, date 1943), slot 2, Grenadiers (Rifle): "
        "4 -> 2",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 12",
        "German, other dates, infantry: 4 -> 2"}},
      // A Name of no width, last in the record, ends with the record: it
      // does not run on into the next pool's name.
      {"a name of no width",
       [](DataFolder* f) {
         f->layout.replace(f->layout.find("\"Name\",S,40\r\n\"Nationality\""),
                           11, "\"Unnamed\",S,40\r\n");
         f->layout.replace(f->layout.find("\"Reserved\",S,300"), 17,
                           "\"Reserved\",S,296\r\n\"Name\",S,0");
         for (std::string* pools : {&f->before, &f->after})
           pools->replace(testdata::kPoolSize * 2 - 4, 4, "ABCD");
         SetQuantity(&f->after, 1, 1, 6);
       },
       {"ABCD (German, date 1943), slot 1, Panzer IV (Medium Tank): 12 -> 6",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 4"}},
      // Slot 21 of each pool would be the next pool's slot 1: it is not
      // compared, and the warning that says so comes first.
      {"slot columns past the record",
       [](DataFolder* f) {
         f->layout.replace(f->layout.find("\"Reserved\",S,300\r\n"), 19,
                           "\"Reserved\",S,300\r\n\"Pad\",S,44\r\n"
                           "\"Team Class 21\",W\r\n\"Quantity 21\",W\r\n");
         SetQuantity(&f->after, 1, 1, 6);
       },
       {"Warning: Tables.ini: the [FPools] columns run to byte 472, past the "
        "end of its 424-byte records; 1 slot that lies outside a record is "
        "not compared",
        "",
        "Kampfgruppe Sud (German, date 1943), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 4"}},
      // A negative width moves slot 21 before the record's first byte, and
      // the columns end where the record does: it lies outside all the same.
      {"slot columns before the record",
       [](DataFolder* f) {
         f->layout.replace(f->layout.find("\"Reserved\",S,300\r\n"), 19,
                           "\"Reserved\",S,300\r\n\"Back\",S,-430\r\n"
                           "\"Team Class 21\",W\r\n\"Quantity 21\",W\r\n"
                           "\"Pad\",S,426\r\n");
         SetQuantity(&f->after, 1, 1, 6);
       },
       {"Warning: Tables.ini: 1 [FPools] slot lies outside its 424-byte "
        "records and is not compared",
        "",
        "Kampfgruppe Sud (German, date 1943), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 4"}},
      // A thousand slots of no width, all on Quantity 1's bytes: that field
      // is compared once, as slot 1's.
      {"slot columns of no width on one field",
       [](DataFolder* f) {
         std::string slots;
         for (int k = 21; k <= 1020; ++k) {
           slots += "\"Team Class " + std::to_string(k) +
                    "\",S,0\r\n\"Quantity " + std::to_string(k) + "\",S,0\r\n";
         }
         f->layout.insert(f->layout.find("\"Quantity 1\",W"), slots);
         SetQuantity(&f->after, 1, 1, 6);
       },
       {"Kampfgruppe Sud (German, date 1943), slot 1, Panzer IV (Medium "
        "Tank): 12 -> 6",
        "", "German, date 0, tank: 24 -> 24",
        "German, date 0, infantry: 4 -> 4",
        "German, other dates, tank: 12 -> 6",
        "German, other dates, infantry: 4 -> 4"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    DataFolder folder;
    c.change(&folder);
    Lines lines;
    EXPECT_EQ(folder.Run({}, &lines), 0) << c.name;
    EXPECT_EQ(lines, c.report) << c.name;
  }
}

TEST(DiffTest, FailsWithOneLineNamingTheFile) {
  auto without = [](const char* name) {
    return [name](DataFolder* f) { f->missing.push_back(name); };
  };
  auto layout_with = [](const char* from, const char* to) {
    return [from, to](DataFolder* f) {
      f->layout.replace(f->layout.find(from), std::string(from).size(), to);
    };
  };
  // One byte over the limit of an input file.
  auto too_large = [](const char* name) {
    return [name](DataFolder* f) { f->sizes[name] = 2147483648u; };
  };
  auto no_memory_for = [](int nth) {
    return [nth](DataFolder* f) { f->short_buffer = nth; };
  };
  const struct {
    const char* name;
    std::function<void(DataFolder*)> change;
    std::string line;
  } kCases[] = {
      {"no layout", without("Tables.ini"), "Cannot open Tables.ini"},
      {"no input", without("FPools.txt"), "Cannot open FPools.txt"},
      {"no output", without("Output/FPools.txt"),
       "Cannot open Output/FPools.txt"},
      {"no Allied teams", without("AlsTeams.txt"), "Cannot open AlsTeams.txt"},
      {"no German teams", without("GETeams.txt"), "Cannot open GETeams.txt"},
      {"a section missing", layout_with("[AlsTeams]", "[AlliedTeams]"),
       "Tables.ini has no [AlsTeams] section"},
      {"no Date", layout_with("\"Date\"", "\"Datum\""),
       "Tables.ini: [FPools] has no \"Date\" column"},
      {"no Quantity 1", layout_with("\"Quantity 1\"", "\"Qty 1\""),
       "Tables.ini: [FPools] has no \"Quantity 1\" column"},
      {"no Type", layout_with("[GETeams]\r\n\"Name\",S,40\r\n\"Class\",W\r\n\"Type\"",
                              "[GETeams]\r\n\"Name\",S,40\r\n\"Class\",W\r\n\"Kind\""),
       "Tables.ini: [GETeams] has no \"Type\" column"},
      {"a bad type letter", layout_with("\"Date\",W", "\"Date\",Q"),
       "Tables.ini: Unknown col type: Q"},
      {"a control character for a type letter",
       layout_with("\"Date\",W", "\"Date\",\x1b"),
       "Tables.ini: Unknown col type: ?"},
      {"a Windows-1252 letter for a type letter",
       layout_with("\"Date\",W", "\"Date\",\xDC"),
       "Tables.ini: Unknown col type: \xC3\x9C"},
      {"a layout saved as UTF-16",
       [](DataFolder* f) { f->layout = "\xFF\xFE;\0 \0"; },
       "Tables.ini is saved as UTF-16: save it as ANSI or UTF-8"},
      {"a layout saved as UTF-32",
       [](DataFolder* f) { f->layout = std::string("\xFF\xFE\0\0;\0\0\0", 8); },
       "Tables.ini is saved as UTF-32: save it as ANSI or UTF-8"},
      {"a byte-order mark before a header",
       layout_with("[AlsTeams]", "\xEF\xBB\xBF[AlsTeams]"),
       "Tables.ini has no [AlsTeams] section: line 55 holds [AlsTeams] after "
       "a byte-order mark, an invisible character; type that line again"},

      {"a layout too large", too_large("Tables.ini"),
       "Tables.ini is too large: more than 2147483647 bytes"},
      {"an input too large", too_large("FPools.txt"),
       "FPools.txt is too large: more than 2147483647 bytes"},
      {"an output too large", too_large("Output/FPools.txt"),
       "Output/FPools.txt is too large: more than 2147483647 bytes"},
      {"Allied teams too large", too_large("AlsTeams.txt"),
       "AlsTeams.txt is too large: more than 2147483647 bytes"},
      {"German teams too large", too_large("GETeams.txt"),
       "GETeams.txt is too large: more than 2147483647 bytes"},
      {"no memory for the layout", no_memory_for(1),
       "Out of memory reading Tables.ini"},
      {"no memory for the input", no_memory_for(2),
       "Out of memory reading FPools.txt"},
      {"no memory for the output", no_memory_for(3),
       "Out of memory reading Output/FPools.txt"},
      {"no memory for the Allied teams", no_memory_for(4),
       "Out of memory reading AlsTeams.txt"},
      {"no memory for the German teams", no_memory_for(5),
       "Out of memory reading GETeams.txt"},
      // A pseudo file that seems empty and holds more than the first
      // buffer: its buffer must grow.
      {"no memory to grow the input's buffer",
       [](DataFolder* f) {
         f->links["FPools.txt"] = "/proc/self/pagemap";
         f->buffers_grow = false;
       },
       "Out of memory reading FPools.txt"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    DataFolder folder;
    c.change(&folder);
    Lines lines;
    EXPECT_EQ(folder.Run({}, &lines), 1) << c.name;
    EXPECT_EQ(lines, Lines{c.line}) << c.name;
  }
}

TEST(DiffTest, CommandLine) {
  const std::string usage =
      "Usage: tovdiff [BEFORE AFTER [TABLES ALSTEAMS GETEAMS]]  (by default: "
      "FPools.txt Output/FPools.txt Tables.ini AlsTeams.txt GETeams.txt)";
  DataFolder folder;
  SetQuantity(&folder.after, 3, 1, 5);
  const struct {
    Lines args;
    int status;
    Lines lines;
  } kCases[] = {
      {{"--help"}, 0, {usage}},
      {{"-h"}, 0, {usage}},
      {{"/?"}, 0, {usage}},
      {{"--version"}, 0, {std::string("tovdiff 1.1.0 (commit ") + kCommit + ")"}},
      {{"FPools.txt"}, 1, {usage}},
      // run-example.bat's helper reads the script it is given.
      {{"--data-folder", "none.bat"}, 1, {"Cannot open none.bat"}},
      {{"a", "b", "c"}, 1, {usage}},
      {{"a", "b", "c", "d", "e", "f"}, 1, {usage}},
      // Two files: the layout and team files of the folder. One file twice,
      // by any path, is no comparison.
      {{"Output/FPools.txt", "Output/FPools.txt"},
       1,
       {"Output/FPools.txt and Output/FPools.txt are the same file: nothing "
        "to compare"}},
      {{"FPools.txt", "./FPools.txt"},
       1,
       {"FPools.txt and ./FPools.txt are the same file: nothing to compare"}},
      // Paths are shown as characters on one line, an empty one as "".
      {{"", "Output/FPools.txt"}, 1, {"Cannot open \"\""}},
      {{"FPools\x1B[2J\n.txt", "Output/FPools.txt"},
       1,
       {"Cannot open FPools?[2J?.txt"}},
      {{"\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5/FPools.txt",
        "\xFC.txt"},
       1,
       {"Cannot open "
        "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5/FPools.txt"}},
      {{"FPools.txt", "Output/FPools.txt"},
       0,
       {"Task Force Able (Allied, date 0), slot 1, Sherman (Medium Tank): "
        "10 -> 5",
        "", "Allied, date 0, tank: 10 -> 5", "Allied, date 0, infantry: 10 -> 10",
        "Allied, other dates, tank: 10 -> 10",
        "Allied, other dates, infantry: 10 -> 10"}},
      // Five: each file in its place (here the team files swapped, so the
      // Allied pool's class 5 is the German Panzer IV).
      {{"FPools.txt", "Output/FPools.txt", "Tables.ini", "GETeams.txt",
        "AlsTeams.txt"},
       0,
       {"Task Force Able (Allied, date 0), slot 1, Panzer IV (Medium Tank): "
        "10 -> 5",
        "", "Allied, date 0, tank: 10 -> 5", "Allied, date 0, infantry: 0 -> 0",
        "Allied, other dates, tank: 0 -> 0",
        "Allied, other dates, infantry: 0 -> 0", "",
        "Warning: FPools.txt: 6 slots hold a class that no team record of its "
        "side has; the first is class 9 in slot 2 of Kampfgruppe Nord "
        "(German, date 0)"}},
      {{"FPools.txt", "Output/FPools.txt", "Tables.ini", "AlsTeams.txt",
        "Missing.txt"},
       1,
       {"Cannot open Missing.txt"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    Lines lines;
    EXPECT_EQ(folder.Run(c.args, &lines), c.status) << c.args.size();
    EXPECT_EQ(lines, c.lines) << c.args.size();
  }
}

}  // namespace
}  // namespace tovrand
