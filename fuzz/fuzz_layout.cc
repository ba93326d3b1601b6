// Fuzz target: the layout reader on arbitrary Tables.ini bytes, then every
// accessor of a record table with each layout it read, over small tables of
// the input's own bytes. Whatever the input:
// - the reader returns false exactly when it names an error, and an error
//   has a message;
// - a section it read has its table's record size, and each column of a
//   fixed type its fixed width;
// - an accessor that succeeds touches exactly its field, which lies inside
//   the bytes; one that fails reads and writes nothing.
// A broken rule is printed and ends the process with abort(), which the
// fuzzer reports as a crash. Reads and writes outside memory are the
// sanitizers' to report.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "table/layout_reader.h"
#include "table/record_table.h"

namespace {

using tovrand::Column;
using tovrand::ColumnDef;
using tovrand::RecordTable;

void Check(bool ok, const char* rule) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_layout: broken rule: %s\n", rule);
  std::abort();
}

int FixedWidth(char type) {
  switch (type) {
    case 'B':
    case 'P':
      return 1;
    case 'W':
      return 2;
    case 'I':
      return 4;
    default:
      return -1;  // H and S take theirs from the line
  }
}

void CheckLayout(const RecordTable& table, int32_t record_size) {
  Check(table.recordSize() == 0 || table.recordSize() == record_size,
        "a section sets its table's record size");
  Check(table.recordSize() != 0 || table.columnCount() == 0,
        "columns come only with a section");
  for (const ColumnDef& column : table.columns()) {
    const int fixed = FixedWidth(column.type);
    Check(fixed < 0 || column.width == fixed, "fixed types have fixed widths");
    Check(fixed > 0 || column.type == 'H' || column.type == 'S',
          "only known types are kept");
  }
}

// Enough columns to meet every kind of offset, few enough to stay fast.
constexpr int kMaxColumnsTried = 32;

// Tries every accessor on the first columns, on every record and the
// records just outside, of a table over `bytes` with a record size taken
// from them.
void CheckAccessors(const RecordTable& layout, std::string_view bytes) {
  if (layout.columnCount() == 0 || bytes.empty()) return;
  RecordTable table;
  const int32_t record_size = 1 + static_cast<unsigned char>(bytes[0]) % 16;
  table.SetLayout(record_size, layout.columns());
  Check(table.LoadBytes(bytes), "the bytes are held");
  const std::string before(bytes);
  const int columns = std::min(layout.columnCount(), kMaxColumnsTried);
  for (int c = 0; c < columns; ++c) {
    const Column column = table.Find(layout.columns()[c].name);
    Check(column.found, "every column name is found");
    for (int i = -1; i <= table.recordCount(); ++i) {
      const int64_t start =
          static_cast<int64_t>(i) * record_size + column.offset;
      const bool in_table = i >= 0 && i < table.recordCount();
      const auto inside = [&](int64_t size) {
        return in_table && start >= 0 &&
               start + size <= static_cast<int64_t>(bytes.size());
      };
      int value = 12345;
      Check(table.GetByte(i, column, &value) == (inside(1) ? 1 : 0),
            "GetByte succeeds exactly inside the bytes");
      Check(inside(1) ? value == static_cast<int8_t>(bytes[start])
                      : value == 12345,
            "GetByte reads its byte, or nothing");
      value = 12345;
      Check(table.GetWord(i, column, &value) == (inside(2) ? 1 : 0),
            "GetWord succeeds exactly inside the bytes");
      Check(inside(2) || value == 12345, "a failed GetWord reads nothing");
      std::string_view text = "unchanged";
      Check(table.GetText(i, column, &text) == (inside(1) ? 1 : 0),
            "GetText succeeds when its first byte is inside");
      if (inside(1)) {
        Check(text.data() ==
                      reinterpret_cast<const char*>(table.data()) + start &&
                  static_cast<int64_t>(text.size()) <=
                      static_cast<int64_t>(bytes.size()) - start,
              "GetText views its field's bytes, inside the bytes");
      } else {
        Check(text == "unchanged", "a failed GetText reads nothing");
      }
      const bool put = table.PutWord(i, column, 0x5A5A) == 1;
      Check(put == inside(2), "PutWord succeeds exactly inside the bytes");
      for (size_t b = 0; b < bytes.size(); ++b) {
        const bool in_field = put && static_cast<int64_t>(b) >= start &&
                              static_cast<int64_t>(b) < start + 2;
        Check(table.data()[b] ==
                  (in_field ? 0x5A : static_cast<unsigned char>(before[b])),
              "PutWord writes its two bytes and no other");
      }
      if (put) Check(table.LoadBytes(before), "the bytes are held again");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tovrand::GameTables tables;
  tovrand::LayoutError error;
  const bool ok = tovrand::ReadLayouts(text, &tables, &error);
  Check(ok == (error.kind == tovrand::LayoutError::Kind::kNone),
        "false exactly with an error");
  Check(ok || !error.Text("Tables.ini").empty(), "an error has a message");
  if (!ok) return 0;
  const RecordTable& bgroups = tables.bgroups;
  const RecordTable& fpools = tables.fpools;
  const RecordTable& geteams = tables.geteams;
  const RecordTable& alsteams = tables.alsteams;
  CheckLayout(bgroups, tovrand::kBGroupsRecordSize);
  CheckLayout(fpools, tovrand::kFPoolsRecordSize);
  CheckLayout(geteams, tovrand::kGETeamsRecordSize);
  CheckLayout(alsteams, tovrand::kAlsTeamsRecordSize);
  for (const RecordTable* table : {&bgroups, &fpools, &geteams, &alsteams})
    CheckAccessors(*table, text.substr(0, 64));
  return 0;
}
