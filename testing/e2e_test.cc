// Runs the built program in fresh directories of data files and checks all
// it does: standard output, standard error, exit status, the bytes of
// Output/FPools.txt, and that no input file changes.
//
// One suite, run once for each way of starting the program: the native
// build (Native/...) and, when the build is given a Windows tovrand.exe,
// that .exe under Wine (Wine/...). The cases and what they expect are the
// same for both; only the line end of the messages differs.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "testing/data_builder.h"
#include "testing/output_cases.h"
#include "testing/process.h"
#include "testing/scratch_dir.h"
#include "testing/workspace.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;
using testdata::kPools;
using Args = std::vector<std::string>;

const char kUsage[] =
    "Usage: tovrand side tankpercent0 infpercent0 tankpercentN infpercentN \n";
const char kNegative[] = "Given percent factors cannot be negative\nAborted\n";
const char kBadSide[] = "Side must be 'a' or 'g'\nAborted\n";

// The input FPools file with some quantities changed: {pool, slot, value}.
std::string ScaledPools(const std::vector<std::array<int, 3>>& changes) {
  std::string bytes = testdata::PoolRecords(kPools);
  for (const auto& [pool, slot, value] : changes) {
    testdata::PutWord(
        &bytes, pool * testdata::kPoolSize + testdata::QuantityOffset(slot),
        value);
  }
  return bytes;
}

// One way to start the program, and tovdiff and tovrand_at_step of the same
// build.
struct Program {
  std::string command;   // shell command; the arguments follow it
  std::string line_end;  // what each line of standard output ends with
  std::string diff;      // shell command that starts tovdiff
  std::string at_step;   // shell command that starts tovrand_at_step
  std::vector<Interrupt> interrupts;
};

void PrintTo(const Program& program, std::ostream* os) {
  *os << program.command;
}

class EndToEndTest : public ::testing::TestWithParam<Program> {
 protected:
  ProcessResult Run(const Workspace& w, const Args& args) const {
    return RunIn(w.Dir(), GetParam().command, args);
  }

  // The lines `text` as this program prints them.
  std::string Printed(const std::string& text) const {
    return testdata::WithLineEnds(text, GetParam().line_end);
  }
};

TEST_P(EndToEndTest, SuccessfulRunsWriteTheScaledFile) {
  const struct {
    Args args;
    std::string output;
  } cases[] = {
      {{"g", "100", "80", "50", "60"},
       ScaledPools({{0, 2, 3}, {1, 1, 6}, {1, 2, 2}})},
      {{"Germans", "100", "80", "50", "60"},
       ScaledPools({{0, 2, 3}, {1, 1, 6}, {1, 2, 2}})},
      {{"a", "50", "40", "30", "20"},
       ScaledPools({{3, 1, 5}, {3, 2, 4}, {4, 1, 3}, {4, 2, 2}})},
      {{"Allied", "50%", "+40", "-0", "none"},
       ScaledPools({{3, 1, 5}, {3, 2, 4}, {4, 1, 0}, {4, 2, 0}})},
      {{"G", "100", "100", "100", "100"}, testdata::PoolRecords(kPools)},
      // 0 is no negative percentage, in any of the four places.
      {{"g", "0", "100", "100", "100"}, ScaledPools({{0, 1, 0}})},
      {{"g", "100", "0", "100", "100"}, ScaledPools({{0, 2, 0}})},
      {{"g", "100", "100", "0", "100"}, ScaledPools({{1, 1, 0}})},
      {{"g", "100", "100", "100", "0"}, ScaledPools({{1, 2, 0}})},
      {{"g", "250", "100", "100", "100"}, ScaledPools({{0, 1, 30}})},
      // Each argument arrives whole, as typed: no splitting at blanks, no
      // expansion of wildcards into file names.
      {{"g and more words", "100", "80", "50", "60"},
       ScaledPools({{0, 2, 3}, {1, 1, 6}, {1, 2, 2}})},
      {{"g", "*", "100", "?", "100"}, ScaledPools({{0, 1, 0}, {1, 1, 0}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    Workspace w;
    const ProcessResult r = Run(w, c.args);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.out, Printed(kSuccess));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(testdata::ReadFile(w.Path("Output/FPools.txt")), c.output)
        << c.args[0] << " " << c.args[1];
    EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
    EXPECT_FALSE(fs::exists(w.Path("Output\\FPools.txt")));
    w.ExpectInputsUnchanged();
  }
}

// Every failure prints its lines, ends with status 1 and leaves Output as
// it was: a previous Output/FPools.txt stays, and nothing else appears.
TEST_P(EndToEndTest, FailuresWriteNothing) {
  ExpectEachFailsAndWritesNothing({
      {"no arguments", {}, nullptr, kUsage},
      {"four arguments", {"g", "1", "2", "3"}, nullptr, kUsage},
      {"six arguments", {"g", "1", "2", "3", "4", "5"}, nullptr, kUsage},
      {"negative percentage",
       {"g", "100", "-1", "50", "60"},
       nullptr,
       kNegative},
      {"huge negative",
       {"g", "1", "1", "1", "-99999999999"},
       nullptr,
       kNegative},
      {"negative before side", {"x", "-5", "1", "1", "1"}, nullptr, kNegative},
      {"bad side", {"x", "1", "1", "1", "1"}, nullptr, kBadSide},
      {"empty side", {"", "1", "1", "1", "1"}, nullptr, kBadSide},
      {"side with accent", {"\xC3\xA4", "1", "1", "1", "1"}, nullptr, kBadSide},
      {"quoted side", {"\"g\"", "1", "1", "1", "1"}, nullptr, kBadSide},
      {"wildcard side", {"*", "1", "1", "1", "1"}, nullptr, kBadSide},
      {"wildcards", {"*.txt", "*", "1", "1"}, nullptr, kUsage},
      {"no Tables.ini", kGermanRun,
       [](Workspace& w) { w.Remove("Tables.ini"); },
       "Cannot open Tables.ini in current directory\n"},
      {"bad type letter", kGermanRun,
       [](Workspace& w) {
         w.Write("Tables.ini", "[FPools]\r\n\"Name\",x\r\n");
       },
       "Unknown col type: x\n\n"},
      {"Tables.ini in UTF-16", kGermanRun,
       [](Workspace& w) {
         std::string utf16 = "\xFF\xFE";
         for (const char c : testdata::StandardLayout()) utf16 += {c, '\0'};
         w.Write("Tables.ini", utf16);
       },
       "Tables.ini is saved as UTF-16: save it as ANSI or UTF-8\n"},
      {"Tables.ini in UTF-32", kGermanRun,
       [](Workspace& w) {
         std::string utf32("\xFF\xFE\0\0", 4);
         for (const char c : testdata::StandardLayout())
           utf32 += std::string{c, '\0', '\0', '\0'};
         w.Write("Tables.ini", utf32);
       },
       "Tables.ini is saved as UTF-32: save it as ANSI or UTF-8\n"},
      // Two files joined, each saved with a UTF-8 mark: the mark hides the
      // header of the second.
      {"a byte-order mark before a header", kGermanRun,
       [](Workspace& w) {
         std::string ini = testdata::StandardLayout();
         ini.insert(ini.find("[GETeams]"), "\xEF\xBB\xBF");
         w.Write("Tables.ini", "\xEF\xBB\xBF" + ini);
       },
       "Tables.ini has no [GETeams] section: line 62 holds [GETeams] after a "
       "byte-order mark, an invisible character; type that line again\n"},
      // A file converted to CR LF twice.
      {"CR CR LF line ends", kGermanRun,
       [](Workspace& w) {
         std::string ini;
         for (const char c : testdata::StandardLayout())
           ini += c == '\n' ? std::string("\r\n") : std::string(1, c);
         w.Write("Tables.ini", ini);
       },
       "Tables.ini has no [FPools] section: line 8 holds [FPools] and a stray "
       "carriage return; save the file with CR LF or LF line ends\n"},
      {"column without type", kGermanRun,
       [](Workspace& w) { w.Write("Tables.ini", "[FPools]\n\"Name\"\n"); },
       "Missing col type for column \"Name\"\n"},
      {"no FPools.txt", kGermanRun,
       [](Workspace& w) { w.Remove("FPools.txt"); },
       "Cannot open FPools.txt\n"},
      {"FPools.txt and AlsTeams.txt missing", kGermanRun,
       [](Workspace& w) {
         w.Remove("FPools.txt");
         w.Remove("AlsTeams.txt");
       },
       "Cannot open FPools.txt\n"},
      // With several files missing, the first one read is reported.
      {"AlsTeams.txt and GETeams.txt missing", kGermanRun,
       [](Workspace& w) {
         w.Remove("AlsTeams.txt");
         w.Remove("GETeams.txt");
       },
       "Cannot open AlsTeams.txt\n"},
      {"FPools.txt and GETeams.txt missing", kAlliedRun,
       [](Workspace& w) {
         w.Remove("FPools.txt");
         w.Remove("GETeams.txt");
       },
       "Cannot open FPools.txt\n"},
      {"all three data files missing", kGermanRun,
       [](Workspace& w) {
         for (const char* f : {"FPools.txt", "AlsTeams.txt", "GETeams.txt"})
           w.Remove(f);
       },
       "Cannot open FPools.txt\n"},
      {"Tables.ini and FPools.txt missing", kGermanRun,
       [](Workspace& w) {
         w.Remove("Tables.ini");
         w.Remove("FPools.txt");
       },
       "Cannot open Tables.ini in current directory\n"},
      {"no AlsTeams.txt, German run", kGermanRun,
       [](Workspace& w) { w.Remove("AlsTeams.txt"); },
       "Cannot open AlsTeams.txt\n"},
      {"no GETeams.txt, Allied run", kAlliedRun,
       [](Workspace& w) { w.Remove("GETeams.txt"); },
       "Cannot open GETeams.txt\n"},
      {"FPools.txt is a directory", kGermanRun,
       [](Workspace& w) {
         w.Remove("FPools.txt");
         fs::create_directory(w.Path("FPools.txt"));
       },
       "Cannot open FPools.txt\n"},
      {"no sections", kGermanRun,
       [](Workspace& w) { w.Write("Tables.ini", ""); },
       "Tables.ini has no [FPools] section\n"},
      {"no AlsTeams section", kGermanRun,
       [](Workspace& w) {
         std::string ini = testdata::StandardLayout();
         ini.replace(ini.find("[AlsTeams]"), 10, "[Allies]");
         w.Write("Tables.ini", ini);
       },
       "Tables.ini has no [AlsTeams] section\n"},
      {"no GETeams section", kGermanRun,
       [](Workspace& w) {
         std::string ini = testdata::StandardLayout();
         ini.replace(ini.find("[GETeams]"), 9, "[Germans]");
         w.Write("Tables.ini", ini);
       },
       "Tables.ini has no [GETeams] section\n"},
      {"unknown class", kGermanRun,
       [](Workspace& w) { w.Write("GETeams.txt", testdata::TeamRecords({})); },
       "Error--Failed to dereference  German team class\n"},
      {"scaled quantity too large",
       {"g", "99999999999", "1", "1", "1"},
       nullptr,
       "Error--Scaled quantity exceeds 32767\n"},
  }, GetParam().command, GetParam().line_end);
}

// What a run leaves in Output, by what stands there: tovrand's part of the
// table that the window's Write runs too (window/model_test.cc).
TEST_P(EndToEndTest, WhatARunLeavesInOutput) {
  for (const testdata::OutputCase& c : testdata::kOutputCases) {
    SCOPED_TRACE(c.what);
    Workspace w;
    w.WritePreviousOutput();
    c.setup(w.Dir());
    const auto before = w.OutputState();
    const ProcessResult r = Run(w, kUnchangedRun);
    if (!c.replaced) {
      w.ExpectFailedAndUnchanged(r, Printed(kWriteFailed), before, c.what);
      continue;
    }
    auto after = c.kept;
    after["FPools.txt"] = testdata::PoolRecords(kPools);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Printed(kSuccess));
    EXPECT_EQ(w.OutputState(), after);
    w.ExpectInputsUnchanged();
  }
}

// A pipe in place of an input is refused at once; reading it would wait for
// a writer, or find it empty and replace a good output with an empty one.
TEST_P(EndToEndTest, InputsThatArePipesAreRefusedAtOnce) {
  const struct {
    const char* name;
    const char* out;
  } cases[] = {
      {"Tables.ini", "Cannot open Tables.ini in current directory\n"},
      {"FPools.txt", "Cannot open FPools.txt\n"},
      {"AlsTeams.txt", "Cannot open AlsTeams.txt\n"},
      {"GETeams.txt", "Cannot open GETeams.txt\n"},
  };
  std::vector<FailureCase> failures;
  for (const auto& c : cases) {
    const std::string name = c.name;
    const auto pipe = [name](Workspace& w) {
      w.Remove(name);
      ASSERT_EQ(mkfifo(w.Path(name).c_str(), 0644), 0);
    };
    // Under `timeout`, a run that waits fails the case, not the suite.
    failures.push_back({c.name, {"a", "60", "60", "60", "60"}, pipe, c.out,
                        "timeout 60"});
  }
  ExpectEachFailsAndWritesNothing(failures, GetParam().command,
                                  GetParam().line_end);
}

// A plain rename does not replace an existing file on Windows: the new file
// must still take the old one's place, and no temporary file may stay.
TEST_P(EndToEndTest, AnExistingOutputFileIsReplacedWhole) {
  Workspace w;
  testdata::WriteFile(w.Path("Output/FPools.txt"), std::string(10000, 'x'));
  const ProcessResult r = Run(w, {"a", "100", "100", "100", "100"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Printed(kSuccess));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(testdata::ReadFile(w.Path("Output/FPools.txt")),
            testdata::PoolRecords(kPools));
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});

  // And again over the file the first run wrote.
  const ProcessResult again = Run(w, kGermanRun);
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(testdata::ReadFile(w.Path("Output/FPools.txt")),
            ScaledPools({{0, 2, 3}, {1, 1, 6}, {1, 2, 2}}));
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
}

// Leftovers of earlier runs go; anything else in Output is the modder's,
// however much it looks like a temporary file, and stays: other names (1.0's
// "<pid>.<n>" form among them, which a date takes), and links of a
// leftover's name, with what they lead to, which a Windows program under
// Wine sees as the files themselves.
TEST_P(EndToEndTest, OnlyLeftoversOfRunsAreRemoved) {
  Workspace w;
  ScratchDir outside;
  testdata::WriteFile(outside / "precious", "outside the data folder");
  std::map<std::string, std::string> kept = {
      {"FPools.txt", testdata::PoolRecords(kPools)}};
  for (const char* name :
       {"FPools.txt.1.tmp", "FPools.txt.bad.tmp", "FPools.txt.cafe.tmp",
        "FPools.txt.2024.12.09.tmp", "FPools.txt.12.09.tmp",
        "FPools.txt.4242.7.tmp", "FPools.txt.....tmp", "FPools.txt.backup.tmp",
        "FPools.txt.0123456789abcdef0.tmp"}) {
    testdata::WriteFile(w.Path("Output/") + name, "the modder's");
    kept[name] = "the modder's";
  }
  const struct {
    const char* name;
    std::string target;
  } links[] = {
      {"FPools.txt.00000000000000a1.tmp", "../FPools.txt"},  // the input
      {"FPools.txt.00000000000000a2.tmp", outside / "precious"},
      {"FPools.txt.00000000000000a3.tmp", outside / "missing"},
      {"FPools.txt.00000000000000a4.tmp", outside.path()},  // a folder
      {"FPools.txt.00000000000000a5.tmp", "FPools.txt"},  // the old output
  };
  for (const auto& link : links) {
    fs::create_symlink(link.target, w.Path("Output/") + link.name);
    kept[link.name] = "<link to " + link.target + ">";
  }
  fs::create_hard_link(w.Path("FPools.txt"),
                       w.Path("Output/FPools.txt.00000000000000b1.tmp"));
  kept["FPools.txt.00000000000000b1.tmp"] = testdata::PoolRecords(kPools);
  testdata::WriteFile(w.Path("Output/FPools.txt.0123456789abcdef.tmp"),
                      "a killed run's");
  EXPECT_EQ(Run(w, kUnchangedRun).out, Printed(kSuccess));
  EXPECT_EQ(w.OutputState(), kept);
  EXPECT_EQ(testdata::ReadFile(outside / "precious"), "outside the data folder");
  EXPECT_TRUE(fs::is_directory(outside.path()));
  w.ExpectInputsUnchanged();
}

// An input that yields fewer bytes than it held when it was opened (as one
// that another program cuts short while it is read) fails the run, with a
// line that says so: a file of the system's whose size says 4096 bytes and
// which holds a few, in place of each input in turn; tovdiff's inputs too.
TEST_P(EndToEndTest, AnInputThatChangesWhileReadIsToldSo) {
  const std::string shorter = "/sys/devices/system/cpu/online";
  if (!fs::is_regular_file(shorter) || fs::file_size(shorter) != 4096)
    GTEST_SKIP() << shorter << " is not a file of 4096 bytes here";
  const auto instead = [&shorter](const char* name) {
    return [&shorter, name](Workspace& w) {
      w.Remove(name);
      fs::create_symlink(shorter, w.Path(name));
    };
  };
  ExpectEachFailsAndWritesNothing(
      {
          {"Tables.ini", kGermanRun, instead("Tables.ini"),
           "Tables.ini changed while it was read\n"},
          {"FPools.txt", kGermanRun, instead("FPools.txt"),
           "FPools.txt changed while it was read\n"},
          {"AlsTeams.txt", kGermanRun, instead("AlsTeams.txt"),
           "AlsTeams.txt changed while it was read\n"},
          {"GETeams.txt", kGermanRun, instead("GETeams.txt"),
           "GETeams.txt changed while it was read\n"},
      },
      GetParam().command, GetParam().line_end);
  for (const char* name : {"Tables.ini", "FPools.txt", "Output/FPools.txt",
                           "AlsTeams.txt", "GETeams.txt"}) {
    Workspace w;
    ASSERT_EQ(Run(w, kUnchangedRun).status, 0);
    fs::remove(w.Path(name));
    fs::create_symlink(shorter, w.Path(name));
    const ProcessResult r = RunIn(w.Dir(), GetParam().diff, {});
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.out, Printed(std::string(name) + " changed while it was read\n"));
  }
}

// A standard output that no one reads any more (`tovrand ... | true`, a
// closed terminal) or that is full does not change the status: it still
// says what became of Output.
TEST_P(EndToEndTest, TheStatusSaysWhatBecameOfOutputWhereverTheLinesGo) {
  for (const bool replaced : {true, false}) {
    for (const bool closed_pipe : {true, false}) {
      SCOPED_TRACE(std::string(replaced ? "replaced" : "failed") +
                   (closed_pipe ? ", closed pipe" : ", /dev/full"));
      Workspace w;
      w.WritePreviousOutput();
      if (!replaced) w.Write("GETeams.txt", testdata::TeamRecords({}));
      const ProcessResult r =
          closed_pipe ? RunIntoClosedPipe(w.Dir(), GetParam().command, kGermanRun)
                      : RunIn(w.Dir(), GetParam().command, kGermanRun,
                              "/dev/full");
      EXPECT_EQ(r.status, replaced ? 0 : 1);
      EXPECT_EQ(r.signal, 0);
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(testdata::ReadFile(w.Path("Output/FPools.txt")),
                replaced ? ScaledPools({{0, 2, 3}, {1, 1, 6}, {1, 2, 2}})
                         : "previous output");
    }
  }
}

// An interrupt at each step of the output's replacement, raised by the
// run itself (tovrand_at_step): before the file has replaced the output the
// run ends as interrupted, with nothing printed, the previous output and
// nothing of its own left; once it has, the run finishes and says so.
TEST_P(EndToEndTest, AnInterruptAtEachStepLeavesOneOfTwoEnds) {
  const struct {
    const char* step;
    bool replaced;
  } steps[] = {{"start", false}, {"create", false}, {"lock", false},
               {"write", false}, {"sync", false},   {"rename", true},
               {"renamed", true}};
  for (const Interrupt& interrupt : GetParam().interrupts) {
    for (const auto& step : steps) {
      const std::string what = interrupt.action + " at " + step.step;
      SCOPED_TRACE(what);
      Workspace w;
      w.WritePreviousOutput();
      const auto before = w.OutputState();
      const ProcessResult r =
          BackgroundRun(
              w.Dir(),
              GetParam().at_step + " " + step.step + " " + interrupt.action,
              kUnchangedRun)
              .Wait();
      if (step.replaced)
        w.ExpectReplaced(r, Printed(kSuccess), testdata::PoolRecords(kPools),
                         what);
      else
        w.ExpectEndedAndUnchanged(r, interrupt.status, interrupt.signal, "",
                                  before, what);
    }
  }
}

// The same from outside: a signal sent as soon as the run's temporary file
// appears may find it at any step, and the run ends one of the two ways.
TEST_P(EndToEndTest, ASignalFromOutsideLeavesOneOfTwoEnds) {
  const std::string pools = testdata::LargePools();
  for (const Interrupt& interrupt : GetParam().interrupts) {
    SCOPED_TRACE(interrupt.action);
    if (interrupt.from_outside == 0) continue;
    Workspace w;
    w.Write("FPools.txt", pools);
    w.WritePreviousOutput();
    const auto before = w.OutputState();
    BackgroundRun run(w.Dir(), GetParam().command, kUnchangedRun);
    ASSERT_NE(w.WaitForTempFile(), "") << interrupt.action;
    kill(run.pid(), interrupt.from_outside);
    const ProcessResult r = run.Wait();
    if (r.status == 0)
      w.ExpectReplaced(r, Printed(kSuccess), pools, interrupt.action);
    else
      w.ExpectEndedAndUnchanged(r, interrupt.status, interrupt.signal, "",
                                before, interrupt.action);
  }
}

// tovdiff, run in the data folder after tovrand, reports what it changed;
// before, it names the output it cannot open.
TEST_P(EndToEndTest, TovdiffReportsWhatTheRunChanged) {
  Workspace w;
  const ProcessResult early = RunIn(w.Dir(), GetParam().diff, {});
  EXPECT_EQ(early.status, 1);
  EXPECT_EQ(early.out, Printed("Cannot open Output/FPools.txt\n"));
  EXPECT_EQ(early.err, "");

  ASSERT_EQ(Run(w, kGermanRun).status, 0);
  const auto output = w.OutputState();
  const ProcessResult r = RunIn(w.Dir(), GetParam().diff, {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            Printed("Kampfgruppe Nord (German, date 0), slot 2, Grenadiers "
                    "(Rifle): 4 -> 3\n"
                    "Kampfgruppe Sud (German, date 1943), slot 1, Panzer IV "
                    "(Medium Tank): 12 -> 6\n"
                    "Kampfgruppe Sud (German, date 1943), slot 2, Grenadiers "
                    "(Rifle): 4 -> 2\n"
                    "\n"
                    "German, date 0, tank: 24 -> 24\n"
                    "German, date 0, infantry: 4 -> 3\n"
                    "German, other dates, tank: 12 -> 6\n"
                    "German, other dates, infantry: 4 -> 2\n"));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(w.OutputState(), output);
  w.ExpectInputsUnchanged();

  const ProcessResult usage = RunIn(w.Dir(), GetParam().diff, {"FPools.txt"});
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.out,
            Printed("Usage: tovdiff [BEFORE AFTER [TABLES ALSTEAMS GETEAMS]]  "
                    "(by default: FPools.txt Output/FPools.txt Tables.ini "
                    "AlsTeams.txt GETeams.txt)\n"));
}

// The files as a modder's editor and the game leave them: Tables.ini with a
// UTF-8 mark, names in Windows-1252, the data folder named in Cyrillic and
// Japanese. tovrand runs there; tovdiff, given the paths, shows the names'
// letters in UTF-8 on both builds, on a terminal too, and says by its status
// when its report cannot be written.
TEST_P(EndToEndTest, TovdiffShowsNamesAsWrittenFromAnyFolder) {
  ScratchDir top;
  const std::string folder =
      "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5 "
      "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF";
  const std::string data = top / folder;
  fs::create_directories(data + "/Output");
  std::vector<testdata::Pool> pools = kPools;
  pools[1].name =
      "Panzergruppe S\xFC"
      "d F\xFChrer";
  std::vector<testdata::Team> german = testdata::kGermanTeams;
  german[1].name = "Grenadiere \x80\x81\x9C";
  testdata::WriteFile(data + "/Tables.ini",
                      "\xEF\xBB\xBF" + testdata::StandardLayout());
  testdata::WriteFile(data + "/FPools.txt", testdata::PoolRecords(pools));
  testdata::WriteFile(data + "/AlsTeams.txt",
                      testdata::TeamRecords(testdata::kAlliedTeams));
  testdata::WriteFile(data + "/GETeams.txt", testdata::TeamRecords(german));
  const ProcessResult run = RunIn(data, GetParam().command, kGermanRun);
  ASSERT_EQ(run.status, 0) << run.out << run.err;

  Args paths;
  for (const char* file : {"FPools.txt", "Output/FPools.txt", "Tables.ini",
                           "AlsTeams.txt", "GETeams.txt"}) {
    paths.push_back(folder + "/" + file);
  }
  const std::string sud =
      "Panzergruppe S\xC3\xBC"
      "d F\xC3\xBChrer";
  const std::string grenadiers = "Grenadiere \xE2\x82\xAC?\xC5\x93";
  const std::string report =
      "Kampfgruppe Nord (German, date 0), slot 2, " + grenadiers +
      " (Rifle): 4 -> 3\n" + sud +
      " (German, date 1943), slot 1, Panzer IV (Medium Tank): 12 -> 6\n" + sud +
      " (German, date 1943), slot 2, " + grenadiers +
      " (Rifle): 4 -> 2\n"
      "\n"
      "German, date 0, tank: 24 -> 24\n"
      "German, date 0, infantry: 4 -> 3\n"
      "German, other dates, tank: 12 -> 6\n"
      "German, other dates, infantry: 4 -> 2\n";
  const ProcessResult diff = RunIn(top.path(), GetParam().diff, paths);
  EXPECT_EQ(diff.status, 0);
  EXPECT_EQ(diff.out, Printed(report));
  EXPECT_EQ(diff.err, "");

  // On a terminal (for Windows, a console): the same letters.
  std::string command = GetParam().diff;
  for (const std::string& path : paths) command += " " + ShellQuote(path);
  const ProcessResult terminal = RunIn(
      top.path(), "script -qec " + ShellQuote(command) + " /dev/null", {});
  EXPECT_EQ(terminal.status, 0);
  EXPECT_NE(terminal.out.find(sud + " (German, date 1943), slot 1, Panzer IV"),
            std::string::npos)
      << terminal.out;
  EXPECT_NE(terminal.out.find(grenadiers), std::string::npos) << terminal.out;

  // A report that cannot be written ends 1: to a full device, or to a pipe
  // whose reader has gone.
  for (const ProcessResult& unread :
       {RunIn(top.path(), GetParam().diff, paths, "/dev/full"),
        RunIntoClosedPipe(top.path(), GetParam().diff, paths)}) {
    EXPECT_EQ(unread.status, 1);
    EXPECT_EQ(unread.signal, 0);
    EXPECT_EQ(unread.err, "");
  }
}

// The program of this build, or the command in TOVRAND_COMMAND.
INSTANTIATE_TEST_SUITE_P(Native, EndToEndTest,
                         ::testing::Values(Program{
                             ProgramUnderTest(),
                             "\n",
                             ShellQuote(TOVDIFF_EXE),
                             ShellQuote(TOVRAND_AT_STEP_EXE),
                             PosixInterrupts()}));

#ifdef TOVRAND_WINE_SCRIPT
// The Windows programs under Wine, through the script that the build makes
// from testing/wine.sh.in. Ctrl-C arrives as SIGINT from outside; Ctrl-Break
// and the console closing only from tovrand_at_step.
const std::string kWine = ShellQuote(TOVRAND_WINE_SCRIPT);
const Program kWindows{
    kWine + " run",
    "\r\n",
    kWine + " exec " + ShellQuote(TOVDIFF_WINDOWS_EXE),
    kWine + " exec " + ShellQuote(TOVRAND_AT_STEP_WINDOWS_EXE),
    WindowsInterrupts()};
INSTANTIATE_TEST_SUITE_P(Wine, EndToEndTest, ::testing::Values(kWindows));

// What only the Windows build does: file attributes, locks on its temporary
// file that runs of the POSIX build see, and it theirs, and other programs'
// open handles on the output, which Windows lets stop a rename.
class WindowsTest : public EndToEndTest {
 protected:
  // The attribute letters Wine's attrib shows for `name` in the workspace.
  std::string Attributes(const Workspace& w, const std::string& name) const {
    const std::string out = Attrib(w, {name});
    return out.substr(0, out.find(':'));
  }
  std::string Attrib(const Workspace& w, const Args& args) const {
    return RunIn(w.Dir(), kWine + " attrib", args).out;
  }
  // Another Windows program holding Output\FPools.txt open for reading,
  // sharing only reading (tovrand_at_step hold), from when this returns
  // until its input is closed.
  std::unique_ptr<BackgroundRun> HoldOutput(const Workspace& w) const {
    auto holder = std::make_unique<BackgroundRun>(
        w.Dir(), GetParam().at_step, Args{"hold", "Output\\FPools.txt"});
    EXPECT_TRUE(WaitForFile(w.Dir(), "holding"));
    return holder;
  }
};

TEST_P(WindowsTest, AReadOnlyOutputIsLeftAlone) {
  Workspace w;
  w.WritePreviousOutput();
  Attrib(w, {"+r", "Output\\FPools.txt"});
  ASSERT_NE(Attributes(w, "Output\\FPools.txt").find('R'), std::string::npos);
  const auto before = w.OutputState();
  w.ExpectFailedAndUnchanged(Run(w, kUnchangedRun), Printed(kWriteFailed), before,
                             "read-only attribute");
  EXPECT_NE(Attributes(w, "Output\\FPools.txt").find('R'), std::string::npos);
}

TEST_P(WindowsTest, AReplacedOutputKeepsItsAttributes) {
  Workspace w;
  w.WritePreviousOutput();
  Attrib(w, {"+h", "Output\\FPools.txt"});
  ASSERT_NE(Attributes(w, "Output\\FPools.txt").find('H'), std::string::npos);
  const ProcessResult r = Run(w, kUnchangedRun);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, Printed(kSuccess));
  EXPECT_NE(testdata::ReadFile(w.Path("Output/FPools.txt")), "previous output");
  EXPECT_NE(Attributes(w, "Output\\FPools.txt").find('H'), std::string::npos);
  EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"});
}

// A run paused while it writes keeps its temporary file through a run of
// the other build: each sees the other's lock.
TEST_P(WindowsTest, RunsOfEitherBuildLeaveAWritingRunAlone) {
  const std::string native_at_step = ShellQuote(TOVRAND_AT_STEP_EXE);
  for (const auto& [first, second] :
       {std::pair{GetParam().at_step, ProgramUnderTest()},
        std::pair{native_at_step, GetParam().command}}) {
    SCOPED_TRACE(first);
    Workspace w;
    BackgroundRun paused(w.Dir(), first + " write pause", kUnchangedRun);
    ASSERT_TRUE(WaitForFile(w.Dir(), "paused")) << first;
    const std::string temp = w.TempFileName();
    EXPECT_EQ(RunIn(w.Dir(), second, kUnchangedRun).status, 0) << second;
    EXPECT_TRUE(fs::exists(w.Path("Output/" + temp))) << temp;
    paused.CloseInput();
    EXPECT_EQ(paused.Wait().status, 0) << first;
    w.Remove("paused");
    EXPECT_EQ(w.OutputState(),
              (std::map<std::string, std::string>{
                  {"FPools.txt", testdata::PoolRecords(kPools)}}));
  }
}

// Under Wine a signal ends a Windows program at once, with no handler of its
// own run; the system removes the temporary file all the same, as Windows
// does for a process the Task Manager ends, since it is marked for deletion
// while it is written. Nothing of the run is left.
TEST_P(WindowsTest, ARunKilledWhileWritingLeavesNothing) {
  // While it writes, and between tries of a rename another program refused.
  for (const std::string step : {"write", "refused"})
  for (const int signal : {SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(step + " " + std::to_string(signal));
    Workspace w;
    w.WritePreviousOutput();
    const auto holder = step == "refused" ? HoldOutput(w) : nullptr;
    BackgroundRun run(w.Dir(), GetParam().at_step + " " + step + " pause",
                      kUnchangedRun);
    ASSERT_TRUE(WaitForFile(w.Dir(), "paused"));
    w.Remove("paused");
    const std::string temp = w.TempFileName();
    ASSERT_NE(temp, "");
    kill(run.pid(), signal);
    const ProcessResult r = run.Wait();
    EXPECT_EQ(r.signal, signal);
    EXPECT_TRUE(WaitForRemoval(w.Path("Output/" + temp), 10)) << temp;
    if (holder != nullptr) {
      holder->CloseInput();
      EXPECT_EQ(holder->Wait().status, 0);
      w.Remove("holding");
    }
    EXPECT_EQ(w.OutputState(), (std::map<std::string, std::string>{
                                   {"FPools.txt", "previous output"}}));
    w.ExpectInputsUnchanged();
  }
}

// Another program holding the output open (as tovdiff, a virus scanner or
// an editor does) makes Windows refuse a rename over it: the run tries
// again, and replaces it once the holder lets go; a holder that keeps it
// open past the tries gets the run's failure, with the old file intact.
TEST_P(WindowsTest, AnOutputHeldOpenIsReplacedOnceLetGo) {
  Workspace w;
  w.WritePreviousOutput();
  const auto holder = HoldOutput(w);
  BackgroundRun run(w.Dir(), GetParam().at_step + " refused pause", kUnchangedRun);
  if (!WaitForFile(w.Dir(), "paused")) {
    holder->CloseInput();
    run.CloseInput();
    const ProcessResult r = run.Wait();
    FAIL() << "no rename refused: " << r.status << " " << r.out << r.err
           << " holder " << holder->Wait().status;
  }
  holder->CloseInput();
  EXPECT_EQ(holder->Wait().status, 0);
  run.CloseInput();
  const ProcessResult r = run.Wait();
  w.Remove("holding");
  w.Remove("paused");
  w.ExpectReplaced(r, Printed(kSuccess), testdata::PoolRecords(kPools),
                   "let go while the run tried again");
}

TEST_P(WindowsTest, AnOutputHeldOpenThroughTheRunIsLeftWhole) {
  Workspace w;
  w.WritePreviousOutput();
  const auto holder = HoldOutput(w);
  const auto before = w.OutputState();
  w.ExpectFailedAndUnchanged(Run(w, kUnchangedRun), Printed(kWriteFailed), before,
                             "held through the run");
}

// Runs started together, with tovdiff reading the output meanwhile, each
// replace the output whole.
TEST_P(WindowsTest, RunsTogetherAndAReaderNeverFail) {
  Workspace w;
  ASSERT_EQ(Run(w, kUnchangedRun).status, 0);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<std::unique_ptr<BackgroundRun>> runs;
    for (int i = 0; i < 3; ++i)
      runs.push_back(
          std::make_unique<BackgroundRun>(w.Dir(), GetParam().command, kUnchangedRun));
    BackgroundRun reader(w.Dir(), GetParam().diff, {});
    for (auto& run : runs) {
      const ProcessResult r = run->Wait();
      EXPECT_EQ(r.status, 0) << "round " << round << ": " << r.out << r.err;
    }
    EXPECT_EQ(reader.Wait().status, 0) << "round " << round;
  }
  EXPECT_EQ(w.OutputState(),
            (std::map<std::string, std::string>{
                {"FPools.txt", testdata::PoolRecords(kPools)}}));
}

INSTANTIATE_TEST_SUITE_P(Wine, WindowsTest, ::testing::Values(kWindows));
#endif

}  // namespace
}  // namespace tovrand
