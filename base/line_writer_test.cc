#include "base/line_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrand {
namespace {

// A report's lines go out in a few large writes, in order, each write
// ending at a line's end; a write that fails is the last one tried. The
// writer's end writes what Flush was not asked to.
TEST(LineWriterTest, WritesWholeLinesInLargeBlocks) {
  const struct {
    const char* name;
    int lines;
    int fail_at;  // the write that fails, from 1; 0: none
    size_t writes;
    bool ok;
    bool flushed = true;
  } kCases[] = {
      {"no line", 0, 0, 0, true},
      {"one line", 1, 0, 1, true},
      // 100,000 lines of 100 bytes: 10 MB in 64 KiB blocks.
      {"a long report", 100000, 0, 153, true},
      {"a full disk", 100000, 3, 3, false},
      {"a closed pipe at once", 100000, 1, 1, false},
      {"one line, never flushed", 1, 0, 1, true, false},
      {"a long report, never flushed", 100000, 0, 153, true, false},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> writes;
    {
      LineWriter out("\r\n", [&](std::string_view bytes) {
        writes.emplace_back(bytes);
        return static_cast<int>(writes.size()) != c.fail_at;
      });
      const std::string line(98, 'x');
      for (int i = 0; i < c.lines; ++i) out.Line(line);
      if (c.flushed) {
        EXPECT_EQ(out.Flush(), c.ok) << c.name;
        EXPECT_EQ(out.Failed(), !c.ok) << c.name;
        if (!c.ok) out.Line("after");  // after a failure, never written
      }
    }
    EXPECT_EQ(writes.size(), c.writes) << c.name;
    std::string all;
    for (const std::string& w : writes) {
      EXPECT_EQ(w.size() % 100, 0u) << c.name;
      all += w;
    }
    if (c.ok) {
      std::string expected;
      for (int i = 0; i < c.lines; ++i)
        expected += std::string(98, 'x') + "\r\n";
      EXPECT_EQ(all, expected) << c.name;
    }
  }
}

}  // namespace
}  // namespace tovrand
