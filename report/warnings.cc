#include "report/warnings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "report/text.h"

namespace tovrand {

namespace {

// Where the layout's columns end: the furthest byte any reaches.
int64_t ColumnsEnd(const RecordTable& table) {
  int64_t at = 0;
  int64_t end = 0;
  for (const ColumnDef& def : table.columns()) {
    at += def.width;
    end = std::max(end, at);
  }
  return end;
}

std::string RunPastText(const std::string& layout, const char* section,
                        const RecordTable& table) {
  return "Warning: " + layout + ": the [" + section + "] columns run to byte " +
         std::to_string(ColumnsEnd(table)) + ", past the end of its " +
         std::to_string(table.recordSize()) + "-byte records";
}

// The layout's columns reach past the end of the record.
void CheckColumnsFit(const std::string& layout, const char* section,
                     const RecordTable& table, std::vector<std::string>* out) {
  if (ColumnsEnd(table) > table.recordSize())
    out->push_back(RunPastText(layout, section, table));
}

// The file ends part way through a record.
void CheckWholeRecords(const std::string& path, const RecordTable& table,
                       std::vector<std::string>* out) {
  if (table.length() % table.recordSize() == 0) return;
  out->push_back("Warning: " + path + ": " + std::to_string(table.length()) +
                 " bytes are not a whole number of " +
                 std::to_string(table.recordSize()) + "-byte records");
}

std::string UnmatchedWarning(const std::string& path, const Totals& totals) {
  return "Warning: " + path + ": " + std::to_string(totals.unmatched) +
         (totals.unmatched == 1 ? " slot holds" : " slots hold") +
         " a class that no team record of its side has; the first is " +
         totals.first_unmatched;
}

// Bytes that differ other than in `Quantity k` fields of the records both
// files hold whole, which are all tovrand writes.
void CheckOtherBytes(const RecordTable& before, const RecordTable& after,
                     const PoolColumns& pool, std::vector<std::string>* out) {
  const int32_t size = before.recordSize();
  const int32_t records = std::min(before.recordCount(), after.recordCount());
  const int64_t whole = static_cast<int64_t>(records) * size;
  const int64_t common = std::min(before.length(), after.length());
  const std::vector<bool> in_quantity =
      QuantityBytesOfRecord(before, pool.slots);
  const unsigned char* old_bytes = before.data();
  const unsigned char* new_bytes = after.data();
  int64_t differing = 0;
  int64_t first = -1;
  // A record at a time: most are the same but for their quantities.
  for (int64_t start = 0; start < common;) {
    const bool in_record = start < whole;
    const int64_t end = in_record ? start + size : common;
    const size_t span = static_cast<size_t>(end - start);
    if (std::memcmp(old_bytes + start, new_bytes + start, span) != 0) {
      for (int64_t at = start; at < end; ++at) {
        if (old_bytes[at] == new_bytes[at] ||
            (in_record && in_quantity[static_cast<size_t>(at - start)])) {
          continue;
        }
        if (differing++ == 0) first = at;
      }
    }
    start = end;
  }
  if (differing == 0) return;

  const int record = static_cast<int>(first / size);
  const int64_t byte = first % size;
  std::string where = "byte " + std::to_string(byte) + " of ";
  where += first < whole ? DescribePool(before, pool, record)
                         : "the part record at the end";
  int64_t offset = 0;
  for (const ColumnDef& def : before.columns()) {
    if (def.width > 0 && byte >= offset && byte < offset + def.width) {
      where += ", in column \"" + Printable(def.name) + "\"";
      break;
    }
    offset += def.width;
  }
  out->push_back("Warning: " + std::to_string(differing) +
                 (differing == 1 ? " byte differs" : " bytes differ") +
                 " outside the Quantity fields; the first is " + where);
}

}  // namespace

std::string SlotsOutsideWarning(const std::string& layout,
                                const RecordTable& fpools,
                                const SlotColumns& slots) {
  const int64_t outside =
      std::count(slots.inside_record.begin(), slots.inside_record.end(), false);
  if (outside == 0) return "";
  const std::string count = std::to_string(outside);
  const std::string size = std::to_string(fpools.recordSize());
  if (ColumnsEnd(fpools) > fpools.recordSize()) {
    return RunPastText(layout, "FPools", fpools) + "; " + count +
           (outside == 1 ? " slot that lies" : " slots that lie") +
           " outside a record " + (outside == 1 ? "is" : "are") +
           " not compared";
  }
  return "Warning: " + layout + ": " + count + " [FPools] " +
         (outside == 1 ? "slot lies" : "slots lie") + " outside its " + size +
         "-byte records and " + (outside == 1 ? "is" : "are") + " not compared";
}

std::vector<std::string> Warnings(const DiffFiles& files,
                                  const GameTables& tables,
                                  const RecordTable& after,
                                  const PoolColumns& pool,
                                  const Totals& totals_before,
                                  const Totals& totals_after) {
  const RecordTable& before = tables.fpools;
  std::vector<std::string> warnings;
  // Where slots lie outside, SlotsOutsideWarning has told it first.
  const std::vector<bool>& inside = pool.slots.inside_record;
  if (std::find(inside.begin(), inside.end(), false) == inside.end())
    CheckColumnsFit(files.layout, "FPools", before, &warnings);
  CheckColumnsFit(files.layout, "AlsTeams", tables.alsteams, &warnings);
  CheckColumnsFit(files.layout, "GETeams", tables.geteams, &warnings);
  CheckWholeRecords(files.before, before, &warnings);
  CheckWholeRecords(files.after, after, &warnings);
  CheckWholeRecords(files.allied_teams, tables.alsteams, &warnings);
  CheckWholeRecords(files.german_teams, tables.geteams, &warnings);
  if (totals_before.unmatched > 0) {
    warnings.push_back(UnmatchedWarning(files.before, totals_before));
  }
  // The output of a run holds the classes of its input: its misfits are
  // told only where they are others.
  if (totals_after.unmatched > 0 &&
      (totals_after.unmatched != totals_before.unmatched ||
       totals_after.first_unmatched != totals_before.first_unmatched)) {
    warnings.push_back(UnmatchedWarning(files.after, totals_after));
  }
  if (before.length() != after.length()) {
    const int32_t records = std::min(before.recordCount(), after.recordCount());
    warnings.push_back("Warning: " + files.before + " has " +
                       std::to_string(before.length()) + " bytes and " +
                       files.after + " " + std::to_string(after.length()) +
                       ": only their first " + std::to_string(records) +
                       " records were compared");
  }
  CheckOtherBytes(before, after, pool, &warnings);
  return warnings;
}

}  // namespace tovrand
