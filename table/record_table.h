#ifndef TOVRAND_TABLE_RECORD_TABLE_H_
#define TOVRAND_TABLE_RECORD_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/file_io.h"
#include "table/column_def.h"

namespace tovrand {

// A column resolved once by name: where its fields start inside a record.
// Resolve with RecordTable::Find and pass it to the accessors, so that a
// loop over records never searches the layout again.
struct Column {
  bool found = false;
  int64_t offset = 0;  // sum of the widths before it; may be negative
};

// One fixed-record data file held whole in memory, with its column layout.
//
// Fields are little-endian. Every accessor takes a record index and a
// column, returns 1 on success and 0 on failure, and on failure reads and
// writes nothing and leaves its out value unchanged. An access fails when
// the index is not below recordCount(), the column is not in the layout, or
// the field does not lie entirely inside the loaded bytes: nothing outside
// them is ever read or written, whatever the layout says.
class RecordTable {
 public:
  // The largest file a table holds: its length is a signed 32-bit count.
  static constexpr size_t kMaxLength = kMaxInputSize;

  // Sets the record size and the columns, in record order, and resolves
  // each name's offset once. Where two columns share a name, the first one
  // counts.
  void SetLayout(int32_t record_size, std::vector<ColumnDef> columns);

  // Reads the file at `path` whole, in binary (ReadInputFile), and sets the
  // record count to length / recordSize (0 when the table has no record
  // size). Returns false, with why in `*result`, when the file cannot be
  // opened or read, memory runs out or it is longer than kMaxLength. Prints
  // nothing.
  [[nodiscard]] bool Load(const std::string& path, ReadResult* result);

  // Holds a copy of `bytes` as if they had been loaded from a file. Returns
  // false, and holds no bytes, when memory runs out.
  [[nodiscard]] bool LoadBytes(std::string_view bytes);

  // Replaces the file at `path` with the loaded bytes, all of them, or
  // leaves it as it was and returns false. Prints nothing.
  [[nodiscard]] bool Save(const std::string& path) const;

  [[nodiscard]] Column Find(std::string_view name) const;

  // The most characters a text of the column `name` (its first one) can
  // have, as a limit for GetText: the column's width, when positive, and
  // never past the end of its record; 0 when there is no such column or it
  // starts outside its record. So a text never runs on into another record.
  [[nodiscard]] size_t TextLimit(std::string_view name) const;

  // The 2-byte field as a signed 16-bit number.
  [[nodiscard]] int GetWord(int index, Column column, int* value) const;
  // Stores the low 16 bits of `value` in the 2-byte field.
  [[nodiscard]] int PutWord(int index, Column column, int value);
  // The 1-byte field as a signed 8-bit number.
  [[nodiscard]] int GetByte(int index, Column column, int* value) const;
  // The text from the field's first byte up to the first NUL, the end of the
  // loaded bytes, or `max_chars` characters, whichever comes first. Fails
  // only when the first byte is outside the loaded bytes. The view is valid
  // until the table is loaded again.
  [[nodiscard]] int GetText(int index, Column column, std::string_view* text,
                            size_t max_chars = SIZE_MAX) const;

  // A hint for a loop that reads the records in order, called as it comes
  // to record `index`: the bytes of a record a few further on are fetched
  // into the cache (why, and what it saves: bench/README.md). Reads and
  // changes nothing; past the last record it does nothing.
  void PrefetchAhead(int index) const;

  // The same accessors, looking the column up by name.
  [[nodiscard]] int GetWord(int index, std::string_view name, int* value) const;
  [[nodiscard]] int PutWord(int index, std::string_view name, int value);
  [[nodiscard]] int GetByte(int index, std::string_view name, int* value) const;
  [[nodiscard]] int GetText(int index, std::string_view name,
                            std::string_view* text) const;

  // Where the field of `size` bytes of record `index` starts in data(), or
  // -1 when the index is out of range, the column was not found, or the
  // field does not lie entirely inside the loaded bytes.
  [[nodiscard]] int64_t FieldStart(int index, Column column,
                                   int64_t size) const;

  const unsigned char* data() const { return buffer_.bytes.get(); }
  int32_t length() const { return static_cast<int32_t>(buffer_.size); }
  int32_t recordCount() const { return record_count_; }
  int32_t recordSize() const { return record_size_; }
  int32_t columnCount() const { return static_cast<int32_t>(columns_.size()); }
  const std::vector<ColumnDef>& columns() const { return columns_; }

 private:
  void Adopt(ByteBuffer buffer);

  ByteBuffer buffer_;
  int32_t record_count_ = 0;
  int32_t record_size_ = 0;
  std::vector<ColumnDef> columns_;
  std::unordered_map<std::string, int64_t> offsets_;
};

// The field accessors by resolved column are inline: the pass calls them
// for every slot of every pool.

inline int64_t RecordTable::FieldStart(int index, Column column,
                                       int64_t size) const {
  if (!column.found || index < 0 || index >= record_count_) return -1;
  const int64_t start =
      static_cast<int64_t>(index) * record_size_ + column.offset;
  if (start < 0 || start > static_cast<int64_t>(buffer_.size) - size) return -1;
  return start;
}

inline int RecordTable::GetWord(int index, Column column, int* value) const {
  const int64_t start = FieldStart(index, column, 2);
  if (start < 0) return 0;
  const unsigned char* p = buffer_.bytes.get() + start;
  *value = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
  return 1;
}

inline int RecordTable::PutWord(int index, Column column, int value) {
  const int64_t start = FieldStart(index, column, 2);
  if (start < 0) return 0;
  unsigned char* p = buffer_.bytes.get() + start;
  const uint32_t bits = static_cast<uint32_t>(value);
  p[0] = static_cast<unsigned char>(bits & 0xFF);
  p[1] = static_cast<unsigned char>((bits >> 8) & 0xFF);
  return 1;
}

inline int RecordTable::GetByte(int index, Column column, int* value) const {
  const int64_t start = FieldStart(index, column, 1);
  if (start < 0) return 0;
  *value = static_cast<int8_t>(buffer_.bytes.get()[start]);
  return 1;
}

}  // namespace tovrand

#endif  // TOVRAND_TABLE_RECORD_TABLE_H_
