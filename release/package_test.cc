// Checks the release packages as a modder gets them. Each archive is
// unpacked into a fresh folder whose path has a space; its files, their
// modes and line ends, and SHA256SUMS are checked. Then, on a copy of the
// sample data in the unpacked folder, the example script and the programs
// run (the Windows ones under Wine): the FPools.txt they write must be the
// one the release build's own tovrand writes, and tovdiff's report must add
// up to totals this test computes from the files' bytes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "testing/data_builder.h"
#include "testing/files.h"
#include "testing/process.h"
#include "testing/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using testdata::GetWord;
using testdata::ReadFile;

const Args kArgs = {"g", "100", "80", "50", "60"};  // the scripts' values
const char kSuccess[] = "New FPools.txt has been placed in Output folder\n";
const char kWriteFailed[] = "Failed to write FPools.txt to Output folder\n";

// A text file of a package, and the file of the source tree it is made of.
struct Text {
  std::string name;
  std::string source;
};

struct Package {
  std::string name;  // the archive's name without extension; its folder
  std::string archive;
  bool windows;
  // Every entry and its permission bits. Folders end in / and have no bits
  // here: the archives hold none, unpacking makes them.
  std::map<std::string, std::string> modes;
  std::vector<Text> texts;
  std::string script;
  std::string tovrand;
  std::string tovdiff;
  std::string window;  // "" where there is none
};

const Package kZip = {
    TOVRAND_ZIP_NAME,
    TOVRAND_ZIP_NAME ".zip",
    true,
    {{TOVRAND_ZIP_NAME "/", ""},
     {TOVRAND_ZIP_NAME "/tovrand.exe", "0755"},
     {TOVRAND_ZIP_NAME "/tovdiff.exe", "0755"},
     {TOVRAND_ZIP_NAME "/tovrand-window.exe", "0755"},
     {TOVRAND_ZIP_NAME "/README.txt", "0644"},
     {TOVRAND_ZIP_NAME "/MANUAL.txt", "0644"},
     {TOVRAND_ZIP_NAME "/LICENSE.txt", "0644"},
     {TOVRAND_ZIP_NAME "/CHANGELOG.txt", "0644"},
     {TOVRAND_ZIP_NAME "/run-example.bat", "0644"}},
    {{"README.txt", "release/README.txt"},
     {"MANUAL.txt", "release/MANUAL.txt"},
     {"LICENSE.txt", "LICENSE"},
     {"CHANGELOG.txt", "CHANGELOG.md"},
     {"run-example.bat", "release/run-example.bat"}},
    "run-example.bat",
    "tovrand.exe",
    "tovdiff.exe",
    "tovrand-window.exe",
};

const Package kTarball = {
    TOVRAND_TGZ_NAME,
    TOVRAND_TGZ_NAME ".tar.gz",
    false,
    {{TOVRAND_TGZ_NAME "/", ""},
     {TOVRAND_TGZ_NAME "/tovrand", "0755"},
     {TOVRAND_TGZ_NAME "/tovdiff", "0755"},
     {TOVRAND_TGZ_NAME "/README.txt", "0644"},
     {TOVRAND_TGZ_NAME "/MANUAL.txt", "0644"},
     {TOVRAND_TGZ_NAME "/LICENSE", "0644"},
     {TOVRAND_TGZ_NAME "/CHANGELOG.md", "0644"},
     {TOVRAND_TGZ_NAME "/run-example.sh", "0755"}},
    {{"README.txt", "release/README.txt"},
     {"MANUAL.txt", "release/MANUAL.txt"},
     {"LICENSE", "LICENSE"},
     {"CHANGELOG.md", "CHANGELOG.md"},
     {"run-example.sh", "release/run-example.sh"}},
    "run-example.sh",
    "tovrand",
    "tovdiff",
    "",
};

const Package* const kPackages[] = {&kZip, &kTarball};

std::string Wine() { return ShellQuote(TOVRAND_WINE_SCRIPT); }

// The path Wine gives a Unix path: drive Z: is the root.
std::string WindowsPath(const std::string& path) {
  std::string windows = "Z:" + path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

// "LF" when every line ends in LF, "CR LF" when every one ends in CR LF,
// "mixed" otherwise; "empty" or "unended" for text without a whole line.
std::string LineEnds(const std::string& text) {
  if (text.empty()) return "empty";
  if (text.back() != '\n') return "unended";
  size_t lf = 0;
  size_t crlf = 0;
  size_t cr = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') ++cr;
    if (text[i] == '\n') {
      ++lf;
      if (i > 0 && text[i - 1] == '\r') ++crlf;
    }
  }
  if (cr == 0) return "LF";
  if (crlf == lf && cr == lf) return "CR LF";
  return "mixed";
}

// `text` with the package's line ends.
std::string Printed(const Package& package, const std::string& text) {
  return testdata::WithLineEnds(text, package.windows ? "\r\n" : "\n");
}

// Output of a program of `package` with LF line ends, after checking that
// the Windows programs end every line in CR LF.
std::string Unprinted(const Package& package, const std::string& out) {
  if (!package.windows || out.empty()) return out;
  EXPECT_EQ(LineEnds(out), "CR LF") << out;
  std::string text;
  for (char c : out) {
    if (c != '\r') text += c;
  }
  return text;
}

// A file of the source tree, `path` relative to its top, with LF line ends
// whatever the checkout gave it.
std::string SourceText(const std::string& path) {
  std::string text;
  for (char c : ReadFile(std::string(TOVRAND_SOURCE_DIR) + "/" + path)) {
    if (c != '\r') text += c;
  }
  return text;
}

// Every entry under `dir`, by path relative to it, with its permission
// bits in octal; folders end in / and get "".
std::map<std::string, std::string> Modes(const std::string& dir) {
  std::map<std::string, std::string> modes;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    struct stat info;
    if (lstat(entry.path().c_str(), &info) != 0) continue;
    std::string name = fs::relative(entry.path(), dir).string();
    if (S_ISDIR(info.st_mode)) name += "/";
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) name += " (special)";
    char octal[8] = "";
    if (!S_ISDIR(info.st_mode))
      std::snprintf(octal, sizeof octal, "0%o", info.st_mode & 07777u);
    modes[name] = octal;
  }
  return modes;
}

// Copies the sample data into `dir`, with an empty Output folder: a data
// folder ready for a run.
void CopySampleData(const std::string& dir) {
  for (const char* name :
       {"Tables.ini", "FPools.txt", "AlsTeams.txt", "GETeams.txt"}) {
    fs::copy_file(std::string(TOVRAND_SAMPLE_DIR) + "/" + name,
                  dir + "/" + name);
  }
  fs::create_directory(dir + "/Output");
}

// A package unpacked into a fresh folder whose path has a space.
class Unpacked {
 public:
  explicit Unpacked(const Package& package) : package_(package) {
    fs::create_directory(scratch_ / "unpacked here");
    const ProcessResult r =
        RunIn(Root(), ShellQuote(TOVRAND_CMAKE) + " -E tar xf",
              {std::string(TOVRAND_PACKAGE_DIR) + "/" + package.archive});
    EXPECT_EQ(r.status, 0) << package.archive << ": " << r.out << r.err;
  }

  // The folder that holds what was unpacked, and the package's one folder.
  std::string Root() const { return scratch_ / "unpacked here"; }
  std::string Folder() const { return Root() + "/" + package_.name; }
  // A folder outside the package, to start the scripts from.
  std::string Elsewhere() const { return scratch_.path(); }

  // The sample data copied into the package's folder, as a modder copies
  // the package into the game's data folder.
  void AddSampleData() const { CopySampleData(Folder()); }

  // Runs the example script from another folder, so that it has to find
  // its data folder itself.
  // `env` is set for it ("NAME=value ...").
  ProcessResult RunScript(const std::string& env = "") const {
    const std::string script = Folder() + "/" + package_.script;
    if (package_.windows) {
      return RunIn(Elsewhere(),
                   env + " TOVRAND_NO_PAUSE=1 " + Wine() + " exec cmd /c",
                   {WindowsPath(script)});
    }
    return RunIn(Elsewhere(), env + " " + ShellQuote(script), {});
  }

  // Runs one of the package's programs in its folder.
  ProcessResult RunProgram(const std::string& program, const Args& args) const {
    const std::string path = ShellQuote(Folder() + "/" + program);
    return RunIn(Folder(), package_.windows ? Wine() + " exec " + path : path,
                 args);
  }

 private:
  const Package& package_;
  ScratchDir scratch_;
};

// What the release build's own tovrand writes from the sample data with
// `args`.
std::string ReferenceOutput(const Args& args) {
  ScratchDir dir;
  CopySampleData(dir.path());
  const ProcessResult r =
      RunIn(dir.path(), ShellQuote(TOVRAND_NATIVE_EXE), args);
  EXPECT_EQ(r.status, 0) << r.out;
  return ReadFile(dir / "Output/FPools.txt");
}

// The report tovdiff must give for a data folder, worked out here from the
// files' bytes in the sample's layout (testing/data_builder.h): each changed
// quantity's line but for the type's name, and the totals lines.
struct ExpectedReport {
  struct Change {
    std::string before_type;  // the line up to the type's name
    std::string after_type;   // from the type's name's closing parenthesis
  };
  std::vector<Change> changes;
  std::vector<std::string> totals;
};

enum Category { kNoCategory, kTank, kInfantry };

Category CategoryOfType(int type) {
  static const std::set<int> tank = {2, 23, 24, 27, 28, 29, 30, 31, 32, 33, 34, 35};
  static const std::set<int> infantry = {0, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  if (tank.count(type)) return kTank;
  if (infantry.count(type)) return kInfantry;
  return kNoCategory;
}

// The text of a fixed-width name field, up to its first zero byte.
std::string Name(const std::string& bytes, size_t offset, size_t width) {
  const std::string field = bytes.substr(offset, width);
  return field.substr(0, field.find('\0'));
}

// The first team record of `team_class`, or -1.
long FindTeam(const std::string& teams, int team_class) {
  for (size_t at = 0; at + testdata::kTeamSize <= teams.size();
       at += testdata::kTeamSize) {
    if (GetWord(teams, at + testdata::kTeamClass) == team_class)
      return static_cast<long>(at);
  }
  return -1;
}

// One used slot of a pool.
struct SlotView {
  size_t pool_at;
  int nationality;
  int date;
  int slot;
  long team_at;  // in the side's team file, or -1
  Category category;
};

// Every used slot of the Allied (0) and German (1) pools of `pools`: slots
// 1, 2, ... up to the first negative class.
std::vector<SlotView> Slots(const std::string& pools, const std::string& allied,
                            const std::string& german) {
  std::vector<SlotView> slots;
  for (size_t at = 0; at + testdata::kPoolSize <= pools.size();
       at += testdata::kPoolSize) {
    const int nationality =
        static_cast<unsigned char>(pools[at + testdata::kPoolNationality]);
    if (nationality > 1) continue;
    const std::string& teams = nationality == 0 ? allied : german;
    for (int k = 1; k <= testdata::kPoolSlots; ++k) {
      const int team_class = GetWord(pools, at + testdata::TeamClassOffset(k));
      if (team_class < 0) break;
      const long team_at = FindTeam(teams, team_class);
      const Category category =
          team_at < 0 ? kNoCategory
                      : CategoryOfType(GetWord(teams, team_at + testdata::kTeamType));
      slots.push_back(SlotView{at, nationality,
                               GetWord(pools, at + testdata::kPoolDate), k,
                               team_at, category});
    }
  }
  return slots;
}

// Sums of the quantities of one side, date group and category in `pools`.
long Total(const std::string& pools, const std::vector<SlotView>& slots,
           int nationality, bool date0, Category category) {
  long sum = 0;
  for (const SlotView& s : slots) {
    if (s.nationality == nationality && (s.date == 0) == date0 &&
        s.category == category)
      sum += GetWord(pools, s.pool_at + testdata::QuantityOffset(s.slot));
  }
  return sum;
}

ExpectedReport Expect(const std::string& folder) {
  const std::string before = ReadFile(folder + "/FPools.txt");
  const std::string after = ReadFile(folder + "/Output/FPools.txt");
  const std::string allied = ReadFile(folder + "/AlsTeams.txt");
  const std::string german = ReadFile(folder + "/GETeams.txt");
  const char* const sides[] = {"Allied", "German"};
  const std::vector<SlotView> slots_before = Slots(before, allied, german);
  const std::vector<SlotView> slots_after = Slots(after, allied, german);

  ExpectedReport report;
  bool changed[2] = {false, false};
  for (const SlotView& s : slots_before) {
    const size_t at = s.pool_at + testdata::QuantityOffset(s.slot);
    const int old_quantity = GetWord(before, at);
    const int new_quantity = GetWord(after, at);
    if (old_quantity == new_quantity) continue;
    changed[s.nationality] = true;
    const std::string& teams = s.nationality == 0 ? allied : german;
    report.changes.push_back(
        {Name(before, s.pool_at, testdata::kPoolNameWidth) + " (" +
             sides[s.nationality] + ", date " + std::to_string(s.date) +
             "), slot " + std::to_string(s.slot) + ", " +
             Name(teams, s.team_at, testdata::kTeamNameWidth) + " (",
         "): " + std::to_string(old_quantity) + " -> " +
             std::to_string(new_quantity)});
  }
  for (int side = 0; side < 2; ++side) {
    if (!changed[side]) continue;
    for (bool date0 : {true, false}) {
      for (Category category : {kTank, kInfantry}) {
        report.totals.push_back(
            std::string(sides[side]) + (date0 ? ", date 0, " : ", other dates, ") +
            (category == kTank ? "tank: " : "infantry: ") +
            std::to_string(Total(before, slots_before, side, date0, category)) +
            " -> " +
            std::to_string(Total(after, slots_after, side, date0, category)));
      }
    }
  }
  return report;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Checks tovdiff's report (LF line ends) on the data folder `folder`.
void CheckReport(const std::string& report, const std::string& folder) {
  const ExpectedReport expected = Expect(folder);
  const std::vector<std::string> lines = Lines(report);
  EXPECT_TRUE(EndsWith(report, "\n")) << report;
  for (const std::string& line : lines) {
    EXPECT_FALSE(StartsWith(line, "Warning: ")) << line;
  }
  if (expected.changes.empty()) {
    EXPECT_EQ(lines, std::vector<std::string>{"No quantity changed"});
    return;
  }
  ASSERT_EQ(lines.size(), expected.changes.size() + 1 + expected.totals.size())
      << report;
  for (size_t i = 0; i < expected.changes.size(); ++i) {
    const auto& change = expected.changes[i];
    EXPECT_TRUE(StartsWith(lines[i], change.before_type) &&
                EndsWith(lines[i], change.after_type) &&
                lines[i].size() >
                    change.before_type.size() + change.after_type.size())
        << lines[i] << "\nexpected: " << change.before_type << "<type>"
        << change.after_type;
  }
  EXPECT_EQ(lines[expected.changes.size()], "");
  const std::vector<std::string> totals(lines.begin() + expected.changes.size() + 1,
                                        lines.end());
  EXPECT_EQ(totals, expected.totals);
}

TEST(PackageTest, ArchivesHoldExactlyTheirPlatformsFiles) {
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    const Unpacked unpacked(*package);
    EXPECT_EQ(Modes(unpacked.Root()), package->modes);
  }
}

// The time every file of the packages carries: SOURCE_DATE_EPOCH when it
// is set, else the time of the source tree's last commit.
long ReleaseTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
    return std::stol(epoch);
  const ProcessResult r =
      RunIn(TOVRAND_SOURCE_DIR, "git log -1 --format=%ct", {});
  EXPECT_EQ(r.status, 0) << r.err;
  return std::stol(r.out);
}

// Little-endian fields of archive and program headers.
unsigned long Field(const std::string& bytes, size_t at, size_t size) {
  unsigned long value = 0;
  for (size_t i = size; i-- > 0;) {
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  }
  return value;
}

// Each file of an archive as its headers have it, one line a file: its
// name, its time in seconds since 1970, then in a tarball its ids and
// names ("uid/gid uname/gname"), in a zip the bytes of its extra fields.
std::vector<std::string> TarEntries(const std::string& tar) {
  std::vector<std::string> entries;
  const auto text = [&](size_t at, size_t size) {
    const std::string field = tar.substr(at, size);
    return field.substr(0, field.find('\0'));
  };
  const auto octal = [&](size_t at, size_t size) {
    return std::to_string(std::stol(text(at, size), nullptr, 8));
  };
  for (size_t at = 0; at + 512 <= tar.size() && tar[at] != '\0';) {
    entries.push_back(text(at, 100) + " " + octal(at + 136, 12) + " " +
                      octal(at + 108, 8) + "/" + octal(at + 116, 8) + " " +
                      text(at + 265, 32) + "/" + text(at + 297, 32));
    at += 512 + (std::stol(octal(at + 124, 12)) + 511) / 512 * 512;
  }
  return entries;
}

// The same of a zip's local file headers; the DOS time is read as UTC.
std::vector<std::string> ZipEntries(const std::string& zip) {
  std::vector<std::string> entries;
  for (size_t at = 0; Field(zip, at, 4) == 0x04034b50;) {
    const unsigned long time = Field(zip, at + 10, 2);
    const unsigned long date = Field(zip, at + 12, 2);
    std::tm tm = {};
    tm.tm_year = static_cast<int>(date >> 9) + 80;
    tm.tm_mon = static_cast<int>(date >> 5 & 15) - 1;
    tm.tm_mday = static_cast<int>(date & 31);
    tm.tm_hour = static_cast<int>(time >> 11);
    tm.tm_min = static_cast<int>(time >> 5 & 63);
    tm.tm_sec = static_cast<int>(time & 31) * 2;
    const size_t name_size = Field(zip, at + 26, 2);
    const size_t extra_size = Field(zip, at + 28, 2);
    entries.push_back(zip.substr(at + 30, name_size) + " " +
                      std::to_string(timegm(&tm)) + " " +
                      std::to_string(extra_size));
    at += 30 + name_size + extra_size + Field(zip, at + 18, 4);
  }
  return entries;
}

// A program of the packages has no symbol table: an ELF program has no
// section of type SHT_SYMTAB, a PE one no COFF symbol table.
bool Stripped(const std::string& program, bool windows) {
  if (windows) {
    const size_t coff = Field(program, 0x3c, 4) + 4;
    return Field(program, coff + 8, 4) == 0 && Field(program, coff + 12, 4) == 0;
  }
  const size_t sections = Field(program, 0x28, 8);
  const size_t size = Field(program, 0x3a, 2);
  for (size_t i = 0; i < Field(program, 0x3c, 2); ++i) {
    if (Field(program, sections + i * size + 4, 4) == 2) return false;
  }
  return true;
}

// Every file of the packages, whoever builds them wherever, carries the
// release's time, owner and group 0 with no names, and nothing else of
// its build: the zip no extra fields, the gzip header no time, the
// programs no symbols, no build folder's path and (on Windows) no link
// time.
TEST(PackageTest, ArchivesAndProgramsHoldNothingOfTheirBuild) {
  const long time = ReleaseTime();
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    // A DOS time counts in two seconds; zip rounds an odd time up.
    std::vector<std::string> expected;
    for (const auto& file : package->modes) {
      if (file.first.back() == '/') continue;
      expected.push_back(file.first + " " +
                         (package->windows ? std::to_string((time + 1) / 2 * 2) + " 0"
                                           : std::to_string(time) + " 0/0 /"));
    }
    const std::string archive =
        ReadFile(std::string(TOVRAND_PACKAGE_DIR) + "/" + package->archive);
    if (package->windows) {
      EXPECT_EQ(ZipEntries(archive), expected);
    } else {
      // gzip: ID1 ID2 CM FLG, then MTIME: no name, no comment, no time.
      EXPECT_EQ(archive.substr(0, 8), std::string("\x1f\x8b\x08\0\0\0\0\0", 8));
      const ProcessResult tar = RunIn(TOVRAND_PACKAGE_DIR, "gzip -dc",
                                      {package->archive});
      EXPECT_EQ(tar.status, 0) << tar.err;
      EXPECT_EQ(TarEntries(tar.out), expected);
    }
    const Unpacked unpacked(*package);
    for (const std::string& name :
         {package->tovrand, package->tovdiff, package->window}) {
      if (name.empty()) continue;
      const std::string program = ReadFile(unpacked.Folder() + "/" + name);
      EXPECT_TRUE(Stripped(program, package->windows)) << name;
      for (const char* folder : {TOVRAND_PACKAGE_DIR, TOVRAND_SOURCE_DIR}) {
        EXPECT_EQ(program.find(folder), std::string::npos) << name << " holds " << folder;
      }
      if (package->windows) {
        EXPECT_EQ(Field(program, Field(program, 0x3c, 4) + 8, 4), 0u) << name;
      }
    }
  }
}

TEST(PackageTest, TextsHaveTheirPlatformsLineEnds) {
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    const Unpacked unpacked(*package);
    for (const Text& text : package->texts) {
      EXPECT_EQ(LineEnds(ReadFile(unpacked.Folder() + "/" + text.name)),
                package->windows ? "CR LF" : "LF")
          << text.name;
    }
    const std::string licence = ReadFile(
        unpacked.Folder() + (package->windows ? "/LICENSE.txt" : "/LICENSE"));
    EXPECT_NE(licence.find("Copyright (c) 2026 the tovrand developers"),
              std::string::npos);
  }
}

// Each text is its source, whatever the source's own line ends, with the
// platform's line ends and the commit in place of @COMMIT@: no text is
// another's, cut short or changed on the way.
TEST(PackageTest, TextsAreTheirSources) {
  const std::string commit = ReadFile(TOVRAND_COMMIT_FILE);
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    const Unpacked unpacked(*package);
    for (const Text& text : package->texts) {
      std::string source = SourceText(text.source);
      if (source.empty() || source.back() != '\n') source += '\n';
      for (size_t at = source.find("@COMMIT@"); at != std::string::npos;
           at = source.find("@COMMIT@", at + commit.size())) {
        source.replace(at, std::string("@COMMIT@").size(), commit);
      }
      EXPECT_TRUE(ReadFile(unpacked.Folder() + "/" + text.name) ==
                  Printed(*package, source))
          << text.name << " is not made of " << text.source;
    }
  }
}

// The guides are read in Notepad or a terminal: ASCII, no tabs, lines of
// at most 78 columns, and README.txt fits on a screen or two.
TEST(PackageTest, GuidesFitTheScreen) {
  const struct {
    std::string source;
    size_t most_lines;
  } kGuides[] = {
      {"release/README.txt", 150},
      {"release/MANUAL.txt", std::string::npos},
  };
  for (const auto& guide : kGuides) {
    SCOPED_TRACE(guide.source);
    const std::vector<std::string> lines = Lines(SourceText(guide.source));
    EXPECT_LE(lines.size(), guide.most_lines);
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_LE(lines[i].size(), 78u) << "line " << i + 1 << ": " << lines[i];
      EXPECT_TRUE(std::all_of(lines[i].begin(), lines[i].end(),
                              [](char c) { return c >= ' ' && c <= '~'; }))
          << "line " << i + 1 << " holds a tab or a byte outside ASCII: "
          << lines[i];
    }
  }
}

TEST(PackageTest, ChecksumsListBothArchives) {
  const std::string sums = ReadFile(TOVRAND_PACKAGE_DIR "/SHA256SUMS");
  const std::vector<std::string> lines = Lines(sums);
  ASSERT_EQ(lines.size(), 2u) << sums;
  EXPECT_TRUE(EndsWith(lines[0], "  " + kZip.archive)) << lines[0];
  EXPECT_TRUE(EndsWith(lines[1], "  " + kTarball.archive)) << lines[1];
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find_first_not_of("0123456789abcdef"), 64u) << line;
  }
  const ProcessResult r = RunIn(TOVRAND_PACKAGE_DIR, "sha256sum -c SHA256SUMS", {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kZip.archive + ": OK\n" + kTarball.archive + ": OK\n");
  EXPECT_EQ(r.err, "");
}

// Double-clicking the script, in effect: tovrand with the script's values
// on the data in the script's folder, then tovdiff's report.
TEST(PackageTest, ExampleScriptsScaleTheSampleAndShowTheChanges) {
  const std::string reference = ReferenceOutput(kArgs);
  std::map<std::string, std::string> reports;
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    const Unpacked unpacked(*package);
    unpacked.AddSampleData();
    const ProcessResult r = unpacked.RunScript();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(unpacked.Folder() + "/Output/FPools.txt"), reference);
    const std::string out = Unprinted(*package, r.out);
    ASSERT_TRUE(StartsWith(out, kSuccess)) << out;
    reports[package->archive] = out.substr(std::string(kSuccess).size());
    CheckReport(reports[package->archive], unpacked.Folder());
  }
  EXPECT_EQ(reports[kZip.archive], reports[kTarball.archive]);
}

TEST(PackageTest, ExampleScriptsStopAfterAFailedRun) {
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    const Unpacked unpacked(*package);
    unpacked.AddSampleData();
    fs::remove(unpacked.Folder() + "/Output");
    const ProcessResult r = unpacked.RunScript();
    // tovrand's one line and status: tovdiff, had it run, would add its own.
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Printed(*package, kWriteFailed));
    EXPECT_EQ(r.err, "");
  }
}

TEST(PackageTest, ProgramsRunFromTheUnpackedFolder) {
  const Args unchanged = {"a", "100", "100", "100", "100"};
  const struct {
    Args args;
    std::string output;
  } cases[] = {
      {kArgs, ReferenceOutput(kArgs)},
      {{"a", "50", "40", "30", "20"}, ReferenceOutput({"a", "50", "40", "30", "20"})},
      {unchanged, ReadFile(TOVRAND_SAMPLE_DIR "/FPools.txt")},
  };
  for (const Package* package : kPackages) {
    for (const auto& c : cases) {
      SCOPED_TRACE(package->archive + " " + c.args[0] + " " + c.args[1]);
      const Unpacked unpacked(*package);
      unpacked.AddSampleData();
      const ProcessResult run = unpacked.RunProgram(package->tovrand, c.args);
      EXPECT_EQ(run.status, 0);
      EXPECT_EQ(run.out, Printed(*package, kSuccess));
      EXPECT_EQ(ReadFile(unpacked.Folder() + "/Output/FPools.txt"), c.output);
      const ProcessResult diff = unpacked.RunProgram(package->tovdiff, {});
      EXPECT_EQ(diff.status, 0);
      EXPECT_EQ(diff.err, "");
      CheckReport(Unprinted(*package, diff.out), unpacked.Folder());
    }
  }
}

// A modder names the data folder in the script's DATA line and saves it
// as Notepad does: in UTF-8, or in the ANSI code page. A name outside
// ASCII reaches the run either way; a folder that is not there is told
// with its own letters.
TEST(PackageTest, TheBatchFileFindsAFolderNamedInEitherCodePage) {
  const Unpacked unpacked(kZip);
  const std::string folder = unpacked.Elsewhere() + "/Spiel \xC3\xBC";
  fs::create_directory(folder);
  CopySampleData(folder);
  const std::string script_path = unpacked.Folder() + "/run-example.bat";
  const std::string script = ReadFile(script_path);
  const std::string default_line = "set \"DATA=%~dp0\"";
  ASSERT_NE(script.find(default_line), std::string::npos);
  const std::string there = WindowsPath(unpacked.Elsewhere()) + "\\";
  const struct {
    std::string data;  // the DATA line's bytes
    int status;
    std::string out;   // what the script prints first
  } kCases[] = {
      {there + "Spiel \xC3\xBC", 0, kSuccess},
      {there + "Spiel \xFC", 0, kSuccess},
      {there + "Gone \xFC", 1,
       "Cannot open the data folder \"" + there + "Gone \xC3\xBC\"\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.data);
    fs::remove(folder + "/Output/FPools.txt");
    std::string edited = script;
    edited.replace(edited.find(default_line), default_line.size(),
                   "set \"DATA=" + c.data + "\"");
    testdata::WriteFile(script_path, edited);
    const ProcessResult r = unpacked.RunScript();
    EXPECT_EQ(r.status, c.status);
    const std::string out = Unprinted(kZip, r.out);
    EXPECT_EQ(out.substr(0, c.out.size()), c.out) << out;
    EXPECT_EQ(fs::exists(folder + "/Output/FPools.txt"), c.status == 0);
  }
}

// Under Wine a run stopped as it starts may end with status 0, having
// done and said nothing: the example scripts take only the success line
// for success. A run that failed, here interrupted as it writes, passes
// its own status on. A stand-in for tovrand (testing/at_step.cc) ends so.
TEST(PackageTest, ExampleScriptsTakeOnlyTheSuccessLineForSuccess) {
  const std::string kNoSuccessLine =
      "tovrand did not print its success line: this run did not succeed\n";
  const struct {
    const Package* package;
    std::string stand_in;
    std::string step;  // TOVRAND_AT_STEP: where, and what it does there
    int status;
    std::string out;
  } kCases[] = {
      {&kZip, TOVRAND_AT_STEP_WINDOWS_EXE, "start exit", 1, kNoSuccessLine},
      {&kTarball, TOVRAND_AT_STEP_EXE, "start exit", 1, kNoSuccessLine},
      // STATUS_CONTROL_C_EXIT's low byte, as Wine gives it; 128 + SIGINT.
      {&kZip, TOVRAND_AT_STEP_WINDOWS_EXE, "write int", 0xC000013A & 0xFF, ""},
      {&kTarball, TOVRAND_AT_STEP_EXE, "write int", 128 + SIGINT, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.package->archive + " " + c.step);
    const Unpacked unpacked(*c.package);
    unpacked.AddSampleData();
    fs::copy_file(c.stand_in, unpacked.Folder() + "/" + c.package->tovrand,
                  fs::copy_options::overwrite_existing);
    const ProcessResult r =
        unpacked.RunScript("TOVRAND_AT_STEP=" + ShellQuote(c.step));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, Printed(*c.package, c.out));
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(fs::exists(unpacked.Folder() + "/Output/FPools.txt"));
  }
}

// Ctrl-C in a terminal reaches the script and tovrand alike. One that
// comes once tovrand has replaced the output does not stop tovrand: the
// shell script still shows its success line, then ends as interrupted,
// without tovdiff. The stand-in pauses just after its output is in place.
TEST(PackageTest, TheShellScriptShowsTheSuccessLineOfARunInterruptedLate) {
  const Unpacked unpacked(kTarball);
  unpacked.AddSampleData();
  fs::copy_file(TOVRAND_AT_STEP_EXE, unpacked.Folder() + "/tovrand",
                fs::copy_options::overwrite_existing);
  // setsid: the script leads a process group of its own, as in a terminal.
  BackgroundRun run(unpacked.Elsewhere(),
                    "env TOVRAND_AT_STEP='renamed pause' setsid " +
                        ShellQuote(unpacked.Folder() + "/run-example.sh"),
                    {});
  ASSERT_TRUE(WaitForFile(unpacked.Folder(), "paused"));
  kill(-run.pid(), SIGINT);
  run.CloseInput();
  const ProcessResult r = run.Wait();
  EXPECT_EQ(r.signal, SIGINT);
  EXPECT_EQ(r.out, kSuccess);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(unpacked.Folder() + "/Output/FPools.txt"),
            ReferenceOutput(kArgs));
}

// Each package names the commit it was built from, in README.txt and in
// tovdiff --version.
TEST(PackageTest, EachPackageNamesItsCommit) {
  const ProcessResult head =
      RunIn(TOVRAND_SOURCE_DIR, "git rev-parse HEAD", {});
  ASSERT_EQ(head.status, 0) << head.err;
  const std::string commit = ReadFile(TOVRAND_COMMIT_FILE);
  EXPECT_EQ(commit.substr(0, 40), head.out.substr(0, 40));
  for (const Package* package : kPackages) {
    SCOPED_TRACE(package->archive);
    const Unpacked unpacked(*package);
    const std::string readme = ReadFile(unpacked.Folder() + "/README.txt");
    EXPECT_NE(readme.find("This package was built from commit " + commit +
                          Printed(*package, "\nof tovrand's source")),
              std::string::npos);
    const ProcessResult version =
        unpacked.RunProgram(package->tovdiff, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out,
              Printed(*package, "tovdiff 1.1.0 (commit " + commit + ")\n"));
  }
}

}  // namespace
