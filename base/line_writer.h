#ifndef TOVRAND_BASE_LINE_WRITER_H_
#define TOVRAND_BASE_LINE_WRITER_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "base/messages.h"

namespace tovrand {

// Message lines gathered into large blocks, so that the cost of a line does
// not depend on where they go: a console, or a device such as /dev/null or
// NUL, costs system calls per write, not per byte (figures: bench/README.md).
// Lines are handed to `write` whole, a block at a time; once a write fails,
// no more are attempted and Failed() stays true.
class LineWriter : public Messages {
 public:
  // Puts out `bytes`, all of them; false when it could not.
  using Write = std::function<bool(std::string_view bytes)>;

  // The size a block reaches before it is written.
  static constexpr size_t kBlockSize = 64 * 1024;

  LineWriter(std::string line_end, Write write);
  ~LineWriter() override;  // flushes

  void Line(const std::string& text) override;
  bool Failed() const override { return failed_; }

  // Writes what is gathered. False when this or any earlier write failed.
  bool Flush();

 private:
  std::string line_end_;
  Write write_;
  std::string block_;
  bool failed_ = false;
};

}  // namespace tovrand

#endif  // TOVRAND_BASE_LINE_WRITER_H_
