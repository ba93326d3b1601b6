#include "base/file_io.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "testing/files.h"
#include "testing/scratch_dir.h"

namespace tovrand {
namespace {

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
    const std::string read =
        out.bytes ? std::string(reinterpret_cast<const char*>(out.bytes.get()),
                                out.size)
                  : std::string();
    EXPECT_EQ(out.size, read.size());
    EXPECT_EQ(read, c.result == ReadResult::kOk ? bytes : "")
        << c.size << " bytes, limit " << c.limit;
  }
}

}  // namespace
}  // namespace tovrand
