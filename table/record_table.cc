#include "table/record_table.h"

#include <cstring>
#include <utility>

#include "base/platform.h"
#include "replace/replace.h"

namespace tovrand {

void RecordTable::SetLayout(int32_t record_size,
                            std::vector<ColumnDef> columns) {
  record_size_ = record_size;
  columns_ = std::move(columns);
  offsets_.clear();
  int64_t offset = 0;
  for (const ColumnDef& column : columns_) {
    offsets_.emplace(column.name, offset);  // keeps the first of a name
    offset += column.width;
  }
}

bool RecordTable::Load(const std::string& path, ReadResult* result) {
  ByteBuffer loaded;
  *result = ReadInputFile(path, &loaded);
  if (*result != ReadResult::kOk) return false;
  Adopt(std::move(loaded));
  return true;
}

bool RecordTable::LoadBytes(std::string_view bytes) {
  ByteBuffer copy;
  if (!bytes.empty()) {
    copy.bytes.reset(static_cast<unsigned char*>(AllocateFileBuffer(bytes.size())));
    if (!copy.bytes) {
      Adopt(ByteBuffer());
      return false;
    }
    std::memcpy(copy.bytes.get(), bytes.data(), bytes.size());
    copy.size = bytes.size();
  }
  Adopt(std::move(copy));
  return true;
}

void RecordTable::Adopt(ByteBuffer buffer) {
  buffer_ = std::move(buffer);
  // A table without a record size has no records; its bytes are still kept.
  record_count_ = record_size_ > 0 ? length() / record_size_ : 0;
}

bool RecordTable::Save(const std::string& path) const {
  return WriteFileAtomically(path, buffer_.bytes.get(), buffer_.size);
}

size_t RecordTable::TextLimit(std::string_view name) const {
  const Column column = Find(name);
  if (!column.found) return 0;
  if (column.offset < 0 || column.offset >= record_size_) return 0;
  size_t limit = static_cast<size_t>(record_size_ - column.offset);
  for (const ColumnDef& def : columns_) {
    if (def.name != name) continue;
    if (def.width > 0 && static_cast<size_t>(def.width) < limit)
      limit = static_cast<size_t>(def.width);
    break;
  }
  return limit;
}

Column RecordTable::Find(std::string_view name) const {
  auto it = offsets_.find(std::string(name));
  if (it == offsets_.end()) return Column();
  return Column{true, it->second};
}

int RecordTable::GetText(int index, Column column, std::string_view* text,
                         size_t max_chars) const {
  const int64_t start = FieldStart(index, column, 1);
  if (start < 0) return 0;
  const char* p = reinterpret_cast<const char*>(buffer_.bytes.get()) + start;
  size_t room = buffer_.size - static_cast<size_t>(start);
  if (room > max_chars) room = max_chars;
  const void* nul = std::memchr(p, 0, room);
  *text = std::string_view(
      p, nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : room);
  return 1;
}

void RecordTable::PrefetchAhead(int index) const {
#if defined(__GNUC__)
  // Far enough ahead to cover a fetch from memory, near enough that the
  // fetched bytes are still in the cache when they are read.
  constexpr int kDistance = 8;
  constexpr int64_t kCacheLine = 64;
  const int64_t ahead = static_cast<int64_t>(index) + kDistance;
  if (ahead < 0 || ahead >= record_count_) return;
  const unsigned char* record = buffer_.bytes.get() + ahead * record_size_;
  for (int64_t offset = 0; offset < record_size_; offset += kCacheLine)
    __builtin_prefetch(record + offset);
#else
  (void)index;
#endif
}

int RecordTable::GetWord(int index, std::string_view name, int* value) const {
  return GetWord(index, Find(name), value);
}

int RecordTable::PutWord(int index, std::string_view name, int value) {
  return PutWord(index, Find(name), value);
}

int RecordTable::GetByte(int index, std::string_view name, int* value) const {
  return GetByte(index, Find(name), value);
}

int RecordTable::GetText(int index, std::string_view name,
                         std::string_view* text) const {
  return GetText(index, Find(name), text);
}

}  // namespace tovrand
