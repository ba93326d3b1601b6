// show_changes: lists the slot quantities that differ between two FPools
// files of one layout, such as the input and the output of a tovrand run.
//   show_changes TABLES_INI OLD_FPOOLS NEW_FPOOLS
// Prints one line per changed quantity, then a count, to standard output.
// Anything else that differs (the length, or bytes outside the Quantity
// fields, which tovrand never writes) is reported on a line of its own.
// Exits with 1 and a one-line message when an input cannot be used.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "base/messages.h"
#include "pool/slot_columns.h"
#include "table/layout_reader.h"
#include "table/record_table.h"

namespace {

using tovrand::ByteBuffer;
using tovrand::Column;
using tovrand::ColumnDef;
using tovrand::FatalStop;
using tovrand::ReadResult;
using tovrand::RecordTable;
using tovrand::SlotColumns;

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// Thrown to end the program with its message as the one line of output.
struct BadInput {
  std::string message;
};

std::string Plural(long count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The FPools columns this program reads, resolved once.
struct PoolColumns {
  Column name;
  size_t name_width = SIZE_MAX;
  Column nationality;
  Column date;
  SlotColumns slots;

  PoolColumns(const RecordTable& fpools, const std::string& layout_path)
      : slots(fpools) {
    auto require = [&](const std::string& column_name) {
      const Column column = fpools.Find(column_name);
      if (!column.found) {
        throw BadInput{layout_path + ": [FPools] has no \"" + column_name +
                       "\" column"};
      }
      return column;
    };
    name = require("Name");
    nationality = require("Nationality");
    date = require("Date");
    require("Team Class 1");
    require("Quantity 1");
    // A name runs to its first NUL or to the end of its column.
    for (const ColumnDef& def : fpools.columns()) {
      if (def.name != "Name") continue;
      if (def.width > 0) name_width = static_cast<size_t>(def.width);
      break;
    }
  }
};

std::string ReadLayoutText(const std::string& path) {
  ByteBuffer file;
  switch (tovrand::ReadWholeFile(path, SIZE_MAX, &file)) {
    case ReadResult::kOk:
      break;
    case ReadResult::kNoMemory:
    case ReadResult::kNoMemoryToGrow:
      throw BadInput{"Out of memory reading " + path};
    default:
      throw BadInput{"Cannot read " + path};
  }
  return std::string(reinterpret_cast<const char*>(file.bytes.get()),
                     file.size);
}

void LoadPools(RecordTable* table, const std::string& path) {
  FatalStop fatal;
  if (table->Load(path, &fatal)) return;
  throw BadInput{fatal.raised ? path + ": " + fatal.message
                              : "Cannot read " + path};
}

// "Panzer Group North (German, date 1943)"
std::string Describe(const RecordTable& pools, const PoolColumns& columns,
                     int index) {
  std::string_view name;
  int nationality = 0;
  int date = 0;
  std::string text =
      pools.GetText(index, columns.name, &name, columns.name_width)
          ? std::string(name)
          : "pool " + std::to_string(index);
  text += " (";
  if (!pools.GetByte(index, columns.nationality, &nationality)) {
    text += "no nationality";
  } else if (nationality == 0) {
    text += "Allied";
  } else if (nationality == 1) {
    text += "German";
  } else {
    text += "nationality " + std::to_string(nationality);
  }
  if (pools.GetWord(index, columns.date, &date)) {
    text += ", date " + std::to_string(date);
  }
  return text + ")";
}

int Compare(const std::string& layout_path, const std::string& old_path,
            const std::string& new_path) {
  RecordTable bgroups;
  RecordTable old_pools;
  RecordTable geteams;
  RecordTable alsteams;
  FatalStop fatal;
  if (!tovrand::ReadLayouts(ReadLayoutText(layout_path), &bgroups, &old_pools,
                            &geteams, &alsteams, &fatal)) {
    std::string message = fatal.message;
    while (!message.empty() && message.back() == '\n') message.pop_back();
    throw BadInput{layout_path + ": " + message};
  }
  if (old_pools.recordSize() <= 0) {
    throw BadInput{layout_path + " has no [FPools] section"};
  }
  const PoolColumns columns(old_pools, layout_path);
  RecordTable new_pools;
  new_pools.SetLayout(old_pools.recordSize(), old_pools.columns());
  LoadPools(&old_pools, old_path);
  LoadPools(&new_pools, new_path);

  // Quantities, pool by pool, over the records both files hold whole.
  const int records =
      std::min(old_pools.recordCount(), new_pools.recordCount());
  long changed_quantities = 0;
  long changed_pools = 0;
  for (int i = 0; i < records; ++i) {
    bool changed = false;
    for (size_t k = 0; k < columns.slots.size(); ++k) {
      const Column quantity = columns.slots.quantity[k];
      if (!quantity.found) continue;
      int before = 0;
      int after = 0;
      if (!old_pools.GetWord(i, quantity, &before) ||
          !new_pools.GetWord(i, quantity, &after)) {
        throw BadInput{"Quantity " + std::to_string(k + 1) + " of pool " +
                       std::to_string(i) + " lies outside the file"};
      }
      if (before == after) continue;
      Print(Describe(old_pools, columns, i) + " slot " + std::to_string(k + 1) +
            ": " + std::to_string(before) + " -> " + std::to_string(after));
      ++changed_quantities;
      changed = true;
    }
    if (changed) ++changed_pools;
  }

  // Every other byte should be as it was. The Quantity fields are marked by
  // their place in the record; bytes of a trailing part record are compared
  // whole.
  const int32_t size = old_pools.recordSize();
  std::vector<bool> in_quantity(static_cast<size_t>(size), false);
  for (const Column& column : columns.slots.quantity) {
    if (!column.found) continue;
    for (int64_t at = column.offset; at < column.offset + 2; ++at) {
      if (at >= 0 && at < size) in_quantity[static_cast<size_t>(at)] = true;
    }
  }
  const int64_t whole = static_cast<int64_t>(records) * size;
  const int64_t common = std::min(old_pools.length(), new_pools.length());
  long other_bytes = 0;
  int64_t first_other = -1;
  for (int64_t at = 0; at < common; ++at) {
    if (old_pools.data()[at] == new_pools.data()[at]) continue;
    if (at < whole && in_quantity[static_cast<size_t>(at % size)]) continue;
    if (first_other < 0) first_other = at;
    ++other_bytes;
  }

  Print(Plural(changed_quantities, "quantity", "quantities") + " changed in " +
        Plural(changed_pools, "pool", "pools"));
  if (old_pools.length() != new_pools.length()) {
    Print("Lengths differ: " + old_path + " has " +
          Plural(old_pools.length(), "byte", "bytes") + ", " + new_path +
          " has " + Plural(new_pools.length(), "byte", "bytes"));
  }
  if (other_bytes > 0) {
    Print(Plural(other_bytes, "byte differs", "bytes differ") +
          " outside Quantity fields, the first at offset " +
          std::to_string(first_other) + " (pool " +
          std::to_string(first_other / size) + ", byte " +
          std::to_string(first_other % size) + ")");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 1;
  try {
    if (argc != 4) {
      throw BadInput{"Usage: show_changes TABLES_INI OLD_FPOOLS NEW_FPOOLS"};
    }
    status = Compare(argv[1], argv[2], argv[3]);
  } catch (const BadInput& bad) {
    Print(bad.message);
    status = 1;
  } catch (const std::exception& e) {
    Print(std::string("show_changes: ") + e.what());
    status = 1;
  }
  std::fflush(stdout);
  return status;
}
