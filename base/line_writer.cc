#include "base/line_writer.h"

#include <utility>

namespace tovrand {

LineWriter::LineWriter(std::string line_end, Write write)
    : line_end_(std::move(line_end)), write_(std::move(write)) {
  block_.reserve(kBlockSize + 256);
}

LineWriter::~LineWriter() {
  Flush();
  if (writer_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    writer_.join();
  }
}

void LineWriter::Line(const std::string& text) {
  if (failed_) return;
  block_ += text;
  block_ += line_end_;
  if (block_.size() >= kBlockSize) HandOver();
}

void LineWriter::HandOver() {
  if (!writer_.joinable()) writer_ = std::thread(&LineWriter::WriteBlocks, this);
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return handed_.empty(); });
  if (failed_) {
    block_.clear();
    return;
  }
  handed_.swap(block_);
  block_.clear();
  changed_.notify_all();
}

void LineWriter::WriteBlocks() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !handed_.empty(); });
    if (handed_.empty()) return;  // stopping, and nothing left
    lock.unlock();
    const bool written = write_(handed_);
    lock.lock();
    if (!written) failed_ = true;
    handed_.clear();
    changed_.notify_all();
  }
}

bool LineWriter::Flush() {
  if (!writer_.joinable()) {
    // Few lines: written here, no thread.
    if (!failed_ && !block_.empty() && !write_(block_)) failed_ = true;
    block_.clear();
    return !failed_;
  }
  if (!block_.empty()) HandOver();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return handed_.empty(); });
  return !failed_;
}

}  // namespace tovrand
