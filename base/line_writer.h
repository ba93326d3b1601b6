#ifndef TOVRAND_BASE_LINE_WRITER_H_
#define TOVRAND_BASE_LINE_WRITER_H_

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "base/messages.h"

namespace tovrand {

// Message lines gathered into large blocks, so that the cost of a line does
// not depend on where they go: a console, or a device such as /dev/null or
// NUL, costs system calls per write, not per byte. Lines are handed to
// `write` whole, a block at a time, in order; once a write fails, no more
// are attempted and Failed() stays true.
//
// Once a first block is full, blocks are written by a thread of their own
// while the next one fills, so that making the lines and a slow reader (a
// terminal) taking them go on at the same time: at most two blocks are held.
// A program that prints a few lines never starts it. Figures: bench/README.md.
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

  // Writes what is gathered and waits until it is written. False when this
  // or any earlier write failed.
  bool Flush();

 private:
  // Hands the block to the writing thread, once it has written the last.
  void HandOver();
  void WriteBlocks();

  std::string line_end_;
  Write write_;
  std::string block_;
  std::atomic<bool> failed_{false};

  std::thread writer_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string handed_;  // the block being written; empty when idle
  bool stopping_ = false;
};

}  // namespace tovrand

#endif  // TOVRAND_BASE_LINE_WRITER_H_
