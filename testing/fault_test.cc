// Runs the built program where its files let it down: a disk that fills up
// part way through the output, inputs that open but cannot be read, inputs
// too large for a record table, memory that runs out, and an Output that is
// not a usable directory. Every such run prints its one message, ends with status 1 and
// leaves Output as it was: a previous Output/FPools.txt stays, and no other
// file appears there. (More cases of an unusable Output are in
// e2e_test.cc.)

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "table/record_table.h"
#include "testing/data_builder.h"
#include "testing/process.h"
#include "testing/scratch_dir.h"
#include "testing/workspace.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;

// The command prefix that runs the program with files limited to `bytes`.
std::string SizeLimited(uintmax_t bytes) {
  return ShellQuote(TOVRAND_SIZE_LIMITED) + " " + std::to_string(bytes);
}

// Gives `name` in the workspace `size` bytes that take no disk space.
void MakeSparse(Workspace& w, const std::string& name, uintmax_t size) {
  w.Remove(name);
  testdata::WriteFile(w.Path(name), "");
  fs::resize_file(w.Path(name), size);
}

// Makes `name` a symbolic link to `target`.
void MakeLink(Workspace& w, const std::string& name,
              const std::string& target) {
  w.Remove(name);
  fs::create_symlink(target, w.Path(name));
}

// `count` pools, some of each side, big enough that writing them takes
// several writes.
std::string ManyPools(int count) {
  std::vector<testdata::Pool> pools;
  for (int i = 0; i < count; ++i) {
    const bool german = i % 2 == 1;
    pools.push_back(
        {"Pool " + std::to_string(i),
         german ? 1 : 0,
         i % 3 == 0 ? 0 : 1944,
         {{5, 12 + i % 7}, {german ? 9 : 7, 4}, {german ? 11 : 8, 3}}});
  }
  return testdata::PoolRecords(pools);
}

TEST(FaultTest, ADiskThatFillsUpLeavesThePreviousOutput) {
  const size_t standard = testdata::PoolRecords(testdata::kPools).size();
  const size_t large = ManyPools(400).size();
  const auto large_pools = [](Workspace& w) {
    w.Write("FPools.txt", ManyPools(400));
  };
  // The limit leaves room for the message on standard output, which goes
  // to a file too.
  ExpectEachFailsAndWritesNothing({
      {"room for 100 bytes", kGermanRun, nullptr, kWriteFailed,
       SizeLimited(100)},
      {"one byte short", kGermanRun, nullptr, kWriteFailed,
       SizeLimited(standard - 1)},
      {"half of a large file", kAlliedRun, large_pools, kWriteFailed,
       SizeLimited(large / 2)},
      {"one byte short of a large file", kGermanRun, large_pools,
       kWriteFailed, SizeLimited(large - 1)},
  });
}

// Under `ulimit -f` a write past the limit raises SIGXFSZ, which by default
// kills the writer. (The limit is in blocks of 512 bytes.)
std::string FileSizeLimit(int blocks) {
  return "sh -c 'ulimit -f " + std::to_string(blocks) + " && exec \"$@\"' sh";
}

TEST(FaultTest, AFileSizeLimitIsAFullDisk) {
  const auto large_pools = [](Workspace& w) {
    w.Write("FPools.txt", ManyPools(400));
  };
  ExpectEachFailsAndWritesNothing({
      {"1024 bytes", kGermanRun, nullptr, kWriteFailed, FileSizeLimit(2)},
      {"51200 bytes of a large file", kAlliedRun, large_pools, kWriteFailed,
       FileSizeLimit(100)},
  });
}

// The wrapper alone is no fault: with room for the whole file the run
// succeeds, so the failures above come from the full disk.
TEST(FaultTest, ALimitThatLeavesRoomIsNoFault) {
  Workspace w;
  const std::string pools = testdata::PoolRecords(testdata::kPools);
  const ProcessResult r = w.RunWrapped(SizeLimited(pools.size()),
                                       kUnchangedRun);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSuccess);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(testdata::ReadFile(w.Path("Output/FPools.txt")), pools);
}

// Inputs that exist but cannot be read whole. Running as root, a file
// without read permission still reads, so these use what fails for anyone:
// a directory (opens, but reading it fails), the process's own memory
// (opens, but reading its first page fails with EIO), and links that lead
// nowhere.
TEST(FaultTest, InputsThatCannotBeRead) {
  ExpectEachFailsAndWritesNothing({
      {"Tables.ini reads with EIO", kGermanRun,
       [](Workspace& w) { MakeLink(w, "Tables.ini", "/proc/self/mem"); },
       "Cannot open Tables.ini in current directory\n"},
      {"Tables.ini is a directory", kGermanRun,
       [](Workspace& w) {
         w.Remove("Tables.ini");
         fs::create_directory(w.Path("Tables.ini"));
       },
       "Cannot open Tables.ini in current directory\n"},
      {"FPools.txt reads with EIO", kGermanRun,
       [](Workspace& w) { MakeLink(w, "FPools.txt", "/proc/self/mem"); },
       "Cannot open FPools.txt\n"},
      {"AlsTeams.txt is a loop of links", kGermanRun,
       [](Workspace& w) { MakeLink(w, "AlsTeams.txt", "AlsTeams.txt"); },
       "Cannot open AlsTeams.txt\n"},
      {"GETeams.txt is a directory", kAlliedRun,
       [](Workspace& w) {
         w.Remove("GETeams.txt");
         fs::create_directory(w.Path("GETeams.txt"));
       },
       "Cannot open GETeams.txt\n"},
      {"GETeams.txt links to a missing file", kGermanRun,
       [](Workspace& w) { MakeLink(w, "GETeams.txt", "Missing.txt"); },
       "Cannot open GETeams.txt\n"},
  });
}

// Each input must be a regular file, after links are followed: a device
// would be read without end or pass for an empty file. (Pipes in place of
// each input are in e2e_test.cc, for both builds.)
TEST(FaultTest, InputsThatAreDevices) {
  const auto link = [](const char* name, const char* target) {
    return [name, target](Workspace& w) { MakeLink(w, name, target); };
  };
  // Under `timeout`, a run that waits fails the case instead of the suite.
  const std::string timeout = "timeout 20";
  ExpectEachFailsAndWritesNothing({
      {"Tables.ini links to /dev/zero", kGermanRun,
       link("Tables.ini", "/dev/zero"),
       "Cannot open Tables.ini in current directory\n", timeout},
      {"FPools.txt links to /dev/null", kGermanRun,
       link("FPools.txt", "/dev/null"), "Cannot open FPools.txt\n", timeout},
      {"GETeams.txt links to /dev/zero", kGermanRun,
       link("GETeams.txt", "/dev/zero"), "Cannot open GETeams.txt\n", timeout},
  });
}

// A record table counts its bytes in 32 bits; a larger file is refused
// before it is read, never cut short.
TEST(FaultTest, InputsTooLargeForARecordTable) {
  const uintmax_t over = uintmax_t{RecordTable::kMaxLength} + 1;
  // Cut to 32 bits, this size would pass for one whole pool record.
  const uintmax_t wraps = (uintmax_t{1} << 32) + testdata::kPoolSize;
  const auto sparse = [](const char* name, uintmax_t size) {
    return [name, size](Workspace& w) { MakeSparse(w, name, size); };
  };
  // Run with far too little memory to read 2 GiB, a file at the limit is
  // refused from its size alone; a read would end in "malloc failed". (A
  // sanitizer's runtime needs more address space; there it runs unlimited.)
#ifdef TOVRAND_SANITIZER_CANARY
  const std::string little_memory;
#else
  const std::string little_memory =
      "sh -c 'ulimit -v 262144 && exec \"$@\"' sh";
#endif
  ExpectEachFailsAndWritesNothing({
      {"FPools.txt of 2147483648 bytes", kGermanRun,
       sparse("FPools.txt", 2147483648u),
       "FPools.txt is too large: more than 2147483647 bytes\n", little_memory},
      {"FPools.txt one byte over", kGermanRun, sparse("FPools.txt", over),
       "FPools.txt is too large: more than 2147483647 bytes\n"},
      {"FPools.txt of 4 GiB and a record", kGermanRun,
       sparse("FPools.txt", wraps),
       "FPools.txt is too large: more than 2147483647 bytes\n"},
      {"AlsTeams.txt one byte over", kAlliedRun, sparse("AlsTeams.txt", over),
       "AlsTeams.txt is too large: more than 2147483647 bytes\n"},
      {"GETeams.txt one byte over", kGermanRun, sparse("GETeams.txt", over),
       "GETeams.txt is too large: more than 2147483647 bytes\n"},
      {"Tables.ini of 2147483648 bytes", kGermanRun,
       sparse("Tables.ini", 2147483648u),
       "Tables.ini is too large: more than 2147483647 bytes\n", little_memory},
  });
}

// tovrand or tovdiff run where memory runs out at `where`
// (testing/short_of_memory.cc), with `args`.
Workspace::Args ShortOfMemory(const char* program, const char* where,
                              const Workspace::Args& args) {
  Workspace::Args all = {program, where};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

// Memory that runs out at one place, the same on every run: for every
// container; for the class search's table, the first container of more
// than 16 KiB, once each file is read; for the first file's buffer; and for
// a buffer that must grow, that of a pseudo file that seems empty and holds
// more than the first buffer.
TEST(FaultTest, MemoryThatRunsOut) {
  const auto pseudo_input = [](Workspace& w) {
    MakeLink(w, "FPools.txt", "/proc/self/pagemap");
  };
  ExpectEachFailsAndWritesNothing(
      {
          {"tovrand, every container",
           ShortOfMemory("tovrand", "new=0", kGermanRun), nullptr,
           "malloc failed\n"},
          {"tovrand, the class search's table",
           ShortOfMemory("tovrand", "new=16384", kGermanRun), nullptr,
           "malloc failed\n"},
          {"tovrand, the first file buffer",
           ShortOfMemory("tovrand", "buffer", kGermanRun), nullptr,
           "malloc failed\n"},
          {"tovrand, a buffer that must grow",
           ShortOfMemory("tovrand", "grow", kGermanRun), pseudo_input,
           "realloc failed\n"},
          {"tovdiff, every container", ShortOfMemory("tovdiff", "new=0", {}),
           nullptr, "Out of memory: the report could not be made\n"},
          {"tovdiff, the table of each class's team",
           ShortOfMemory("tovdiff", "new=16384", {}), nullptr,
           "Out of memory: the report could not be made\n"},
          {"tovdiff, the first file buffer",
           ShortOfMemory("tovdiff", "buffer", {}), nullptr,
           "Out of memory reading Tables.ini\n"},
          {"tovdiff, a buffer that must grow",
           ShortOfMemory("tovdiff", "grow", {}), pseudo_input,
           "Out of memory reading FPools.txt\n"},
      },
      ShellQuote(TOVRAND_SHORT_OF_MEMORY));
}

// With memory to spare the same run succeeds, so the failures above come
// from the shortage.
TEST(FaultTest, MemoryToSpareIsNoFault) {
  Workspace w;
  const ProcessResult r =
      RunIn(w.Dir(), ShellQuote(TOVRAND_SHORT_OF_MEMORY),
            ShortOfMemory("tovrand", "new=1048576", kUnchangedRun));
  w.ExpectReplaced(r, kSuccess, testdata::PoolRecords(testdata::kPools),
                   "memory to spare");
}

// The prefix that runs the program as a user without privileges: as
// itself, unless the tests run as root, who may write any file.
std::string Unprivileged() {
  return geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups"
                        : "";
}

// Lets that user into the workspace: the folders, the inputs and Output.
void OpenToAll(Workspace& w) {
  fs::permissions(w.Dir(), fs::perms::all);
  fs::permissions(w.Path("Output"), fs::perms::all);
}

void SetMode(Workspace& w, const std::string& name, mode_t mode, bool theirs) {
  ASSERT_EQ(chmod(w.Path(name).c_str(), mode), 0);
  if (theirs && geteuid() == 0) {
    ASSERT_EQ(chown(w.Path(name).c_str(), 65534, 65534), 0);
  }
}

// An Output/FPools.txt its user could not open for writing stays as it is,
// and the run says it failed; a replaced one keeps its permission bits.
TEST(FaultTest, AnOutputTheUserMayNotWriteIsLeftAlone) {
  if (geteuid() == 0 && std::system("setpriv --help >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "running as root, and no setpriv to run as another user";
  const struct {
    const char* what;
    mode_t mode;
    bool theirs;  // owned by the user who runs the program
    bool replaced;
  } cases[] = {
      {"read-only for everyone", 0444, true, false},
      {"no permissions at all", 0000, true, false},
      {"writable by its owner only, someone else", 0644, false, false},
      {"private", 0600, true, true},
      {"readable by the group", 0640, true, true},
      {"writable by all", 0666, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.theirs && geteuid() != 0) continue;  // needs another owner
    Workspace w;
    OpenToAll(w);
    w.WritePreviousOutput();
    SetMode(w, "Output/FPools.txt", c.mode, c.theirs);
    const auto before = w.OutputState();
    const ProcessResult r = w.RunWrapped(Unprivileged(), kGermanRun);
    if (c.replaced) {
      EXPECT_EQ(r.status, 0) << c.what;
      EXPECT_EQ(r.out, kSuccess) << c.what;
      EXPECT_EQ(w.OutputEntries(), std::vector<std::string>{"FPools.txt"})
          << c.what;
    } else {
      w.ExpectFailedAndUnchanged(r, kWriteFailed, before, c.what);
    }
    struct stat st;
    ASSERT_EQ(stat(w.Path("Output/FPools.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode) << c.what;
  }
}

TEST(FaultTest, AnOutputThatLeadsNowhere) {
  ExpectEachFailsAndWritesNothing({
      {"Output links to a missing directory", kGermanRun,
       [](Workspace& w) { MakeLink(w, "Output", "Missing"); }, kWriteFailed},
      {"Output links to a file", kGermanRun,
       [](Workspace& w) { MakeLink(w, "Output", "Tables.ini"); },
       kWriteFailed},
  });
}

// The output replaces whatever Output/FPools.txt is: a link there is
// replaced, never followed, so the file it points to is not written.
TEST(FaultTest, AnOutputLinkToAnInputIsReplacedNotFollowed) {
  Workspace w;
  fs::create_symlink("../FPools.txt", w.Path("Output/FPools.txt"));
  const ProcessResult r = w.Run({"g", "50", "50", "50", "50"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, kSuccess);
  EXPECT_FALSE(fs::is_symlink(w.Path("Output/FPools.txt")));
  EXPECT_NE(testdata::ReadFile(w.Path("Output/FPools.txt")),
            testdata::PoolRecords(testdata::kPools));
  w.ExpectInputsUnchanged();
}

// In a sanitizer build, a report must fail the test that saw it: the run
// ends with a status that is neither success nor the program's failure, and
// the report is on standard error, which the tests require to be empty.
TEST(FaultTest, SanitizerReportsFailTheRun) {
#ifndef TOVRAND_SANITIZER_CANARY
  GTEST_SKIP() << "not a sanitizer build";
#else
  for (const char* fault : {"overflow", "signed", "leak"}) {
    SCOPED_TRACE(fault);
    ScratchDir dir;
    const ProcessResult r =
        RunIn(dir.path(), ShellQuote(TOVRAND_SANITIZER_CANARY), {fault});
    EXPECT_NE(r.status, 0) << fault;
    EXPECT_NE(r.status, 1) << fault;
    EXPECT_NE(r.err, "") << fault;
  }
#endif
}

}  // namespace
}  // namespace tovrand
