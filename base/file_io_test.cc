#include "base/file_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "testing/files.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

namespace fs = std::filesystem;

// What `buffer` holds, or "" when it has no storage.
std::string Text(const ByteBuffer& buffer) {
  return buffer.bytes
             ? std::string(reinterpret_cast<const char*>(buffer.bytes.get()),
                           buffer.size)
             : std::string();
}

// A file whose size the system does not know (a pseudo file, of size 0
// when opened) is read whole, in as many chunks as it takes: here one of
// megabytes that does not change while it is read.
TEST(ReadWholeFileTest, AFileOfUnknownSizeIsReadWhole) {
  const std::string path = "/proc/kallsyms";
  std::ifstream in(path, std::ios::binary);
  const std::string expected((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (expected.size() <= (1u << 17) || fs::file_size(path) != 0)
    GTEST_SKIP() << path << " is no large pseudo file here";
  ByteBuffer buffer;
  ASSERT_EQ(ReadWholeFile(path, kMaxInputSize, &buffer), ReadResult::kOk);
  EXPECT_TRUE(Text(buffer) == expected) << buffer.size;
}

// A file of exactly the limit is read whole; one byte more is refused, and
// the buffer is left empty.
TEST(ReadWholeFileTest, TheLimitIsTheLargestSizeRead) {
  const struct {
    size_t limit;
    size_t size;
    ReadResult result;
  } cases[] = {
      {10, 0, ReadResult::kOk},  {10, 9, ReadResult::kOk},
      {10, 10, ReadResult::kOk}, {10, 11, ReadResult::kTooLarge},
      {0, 0, ReadResult::kOk},   {0, 1, ReadResult::kTooLarge},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const std::string bytes(c.size, 'x');
    testdata::WriteFile(dir / "file", bytes);
    ByteBuffer out;
    EXPECT_EQ(ReadWholeFile(dir / "file", c.limit, &out), c.result)
        << c.size << " bytes, limit " << c.limit;
    EXPECT_EQ(out.size, Text(out).size());
    EXPECT_EQ(Text(out), c.result == ReadResult::kOk ? bytes : "")
        << c.size << " bytes, limit " << c.limit;
  }
}

// What cannot be opened, a file not there or a folder, leaves the buffer
// empty, whatever it held before.
TEST(ReadWholeFileTest, WhatCannotBeOpenedLeavesTheBufferEmpty) {
  ScratchDir dir;
  testdata::WriteFile(dir / "file", "held");
  for (const std::string& path : {dir / "missing", dir.path()}) {
    ByteBuffer out;
    ASSERT_EQ(ReadWholeFile(dir / "file", 10, &out), ReadResult::kOk);
    EXPECT_EQ(ReadWholeFile(path, 10, &out), ReadResult::kCannotOpen) << path;
    EXPECT_EQ(Text(out), "") << path;
    EXPECT_EQ(out.size, 0u) << path;
  }
}

// Another program changes the file after it was opened and before it is
// read: the read fails and leaves the buffer empty, whatever the change.
TEST(ReadOpenFileTest, AFileChangedWhileOpenIsNotRead) {
  const std::string bytes = "0123456789";
  const struct {
    const char* change;
    void (*make)(const std::string& path);
    ReadResult result;
  } cases[] = {
      {"none", [](const std::string&) {}, ReadResult::kOk},
      {"cut short", [](const std::string& path) { fs::resize_file(path, 4); },
       ReadResult::kChanged},
      {"appended to",
       [](const std::string& path) {
         std::ofstream(path, std::ios::binary | std::ios::app) << "more";
       },
       ReadResult::kChanged},
      {"rewritten, same size, new time",
       [](const std::string& path) {
         testdata::WriteFile(path, "9876543210");
         fs::last_write_time(path,
                             fs::last_write_time(path) - std::chrono::hours(1));
       },
       ReadResult::kChanged},
      {"emptied", [](const std::string& path) { fs::resize_file(path, 0); },
       ReadResult::kChanged},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    testdata::WriteFile(dir / "file", bytes);
    FileStamp opened;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        OpenRegularFile(dir / "file", &opened), &std::fclose);
    ASSERT_TRUE(file) << c.change;
    c.make(dir / "file");
    ByteBuffer out;  // holding bytes already, which a failure must drop
    out.size = 5;
    out.bytes.reset(static_cast<unsigned char*>(std::malloc(out.size)));
    std::memcpy(out.bytes.get(), "stale", out.size);
    EXPECT_EQ(ReadOpenFile(file.get(), opened, 100, &out), c.result)
        << c.change;
    EXPECT_EQ(out.size, Text(out).size()) << c.change;
    EXPECT_EQ(Text(out), c.result == ReadResult::kOk ? bytes : "") << c.change;
  }
}

}  // namespace
}  // namespace tovrand
