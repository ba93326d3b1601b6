#include "table/record_table.h"

#include <cstring>
#include <new>
#include <utility>

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

bool RecordTable::Load(const std::string& path, FatalStop* fatal) {
  ByteBuffer loaded;
  const ReadResult result = ReadWholeFile(path, kMaxLength, &loaded);
  if (result == ReadResult::kTooLarge) {
    fatal->Raise(path + " is too large: more than 2147483647 bytes");
  }
  if (result != ReadResult::kOk) {
    RaiseIfOutOfMemory(result, fatal);
    return false;
  }
  Adopt(std::move(loaded));
  return true;
}

void RecordTable::LoadBytes(std::string_view bytes) {
  ByteBuffer copy;
  if (!bytes.empty()) {
    copy.bytes.reset(static_cast<unsigned char*>(std::malloc(bytes.size())));
    if (!copy.bytes) throw std::bad_alloc();
    std::memcpy(copy.bytes.get(), bytes.data(), bytes.size());
    copy.size = bytes.size();
  }
  Adopt(std::move(copy));
}

void RecordTable::Adopt(ByteBuffer buffer) {
  buffer_ = std::move(buffer);
  // A table without a record size has no records; its bytes are still kept.
  record_count_ = record_size_ > 0 ? length() / record_size_ : 0;
}

bool RecordTable::Save(const std::string& path) const {
  return WriteFileAtomically(path, buffer_.bytes.get(), buffer_.size);
}

Column RecordTable::Find(std::string_view name) const {
  auto it = offsets_.find(std::string(name));
  if (it == offsets_.end()) return Column();
  return Column{true, it->second};
}

int64_t RecordTable::FieldStart(int index, Column column, int64_t size) const {
  if (!column.found || index < 0 || index >= record_count_) return -1;
  const int64_t start =
      static_cast<int64_t>(index) * record_size_ + column.offset;
  if (start < 0 || start > static_cast<int64_t>(buffer_.size) - size)
    return -1;
  return start;
}

int RecordTable::GetWord(int index, Column column, int* value) const {
  const int64_t start = FieldStart(index, column, 2);
  if (start < 0) return 0;
  const unsigned char* p = buffer_.bytes.get() + start;
  *value = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
  return 1;
}

int RecordTable::PutWord(int index, Column column, int value) {
  const int64_t start = FieldStart(index, column, 2);
  if (start < 0) return 0;
  unsigned char* p = buffer_.bytes.get() + start;
  const uint32_t bits = static_cast<uint32_t>(value);
  p[0] = static_cast<unsigned char>(bits & 0xFF);
  p[1] = static_cast<unsigned char>((bits >> 8) & 0xFF);
  return 1;
}

int RecordTable::GetByte(int index, Column column, int* value) const {
  const int64_t start = FieldStart(index, column, 1);
  if (start < 0) return 0;
  *value = static_cast<int8_t>(buffer_.bytes.get()[start]);
  return 1;
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
