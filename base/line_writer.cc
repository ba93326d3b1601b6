#include "base/line_writer.h"

#include <utility>

namespace tovrand {

LineWriter::LineWriter(std::string line_end, Write write)
    : line_end_(std::move(line_end)), write_(std::move(write)) {
  block_.reserve(kBlockSize + 256);
}

LineWriter::~LineWriter() { Flush(); }

void LineWriter::Line(const std::string& text) {
  if (failed_) return;
  block_ += text;
  block_ += line_end_;
  if (block_.size() >= kBlockSize) Flush();
}

bool LineWriter::Flush() {
  if (!failed_ && !block_.empty() && !write_(block_)) failed_ = true;
  block_.clear();
  return !failed_;
}

}  // namespace tovrand
