#include "fuzz/run_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovrand {
namespace {

using Args = std::vector<std::string>;

// The bytes of a string literal, NULs included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// A run of these arguments whose files are all present, with these bytes.
RunInput MakeRun(Args args, std::string layout, std::string pools,
                 std::string allied, std::string german) {
  RunInput run;
  run.args = std::move(args);
  run.files[0] = std::move(layout);
  run.files[1] = std::move(pools);
  run.files[2] = std::move(allied);
  run.files[3] = std::move(german);
  return run;
}

TEST(RunInputTest, Decodes) {
  RunInput absent = MakeRun({}, "", "", "", "");
  for (auto& file : absent.files) file.reset();
  RunInput flags = MakeRun({"g"}, "", "", "", "");
  flags.previous_output = true;
  flags.no_output = true;
  flags.files[2].reset();

  const struct {
    const char* what;
    std::string bytes;
    RunInput run;
  } cases[] = {
      {"nothing", "", MakeRun({}, "", "", "", "")},
      {"flags alone", Bytes("\0"), MakeRun({}, "", "", "", "")},
      {"every file absent", "\x3C", absent},
      {"flags", "\x13g\\|", flags},
      {"unknown flags are ignored", "\xC0", MakeRun({}, "", "", "", "")},
      {"five parts", Bytes("\0g\0001\\|ini\\|fp\\|al\\|ge"),
       MakeRun({"g", "1"}, "ini", "fp", "al", "ge")},
      {"any byte but a backslash ends a part", Bytes("\0a\\\0b\\\\\\\\c\\zd"),
       MakeRun({"a"}, "b\\\\c", "d", "", "")},
      {"a backslash at the very end", Bytes("\0\\|x\\"),
       MakeRun({}, "x", "", "", "")},
      {"parts after the fifth are ignored", Bytes("\0\\|\\|\\|\\|\\|extra"),
       MakeRun({}, "", "", "", "")},
      {"empty and unended arguments", Bytes("\0a\0\0b"),
       MakeRun({"a", "", "b"}, "", "", "", "")},
      {"an argument ended by the part", Bytes("\0\0\\|"),
       MakeRun({""}, "", "", "", "")},
  };
  for (const auto& c : cases) {
    const RunInput run = DecodeRunInput(c.bytes);
    EXPECT_TRUE(run == c.run) << c.what;
  }
}

TEST(RunInputTest, EncodedRunsDecodeTheSame) {
  RunInput some_absent = MakeRun({"a", "50"}, "x", "", "", "y");
  some_absent.files[1].reset();
  some_absent.files[2].reset();
  some_absent.no_output = true;
  RunInput previous = MakeRun({}, "", "", "", "");
  previous.previous_output = true;
  const RunInput runs[] = {
      MakeRun({}, "", "", "", ""),
      MakeRun({"g", "100", "80", "50", "60"}, "[FPools]\r\n", "p", "a", "g"),
      MakeRun({"", "\\", "\\|"}, "\\", "\\\\", "\\|", "|\\"),
      MakeRun({"x"}, "", Bytes("\0\x1A\\\xFF"), "", ""),
      some_absent,
      previous,
  };
  for (const RunInput& run : runs) {
    EXPECT_TRUE(DecodeRunInput(EncodeRunInput(run)) == run)
        << EncodeRunInput(run);
  }
}

}  // namespace
}  // namespace tovrand
