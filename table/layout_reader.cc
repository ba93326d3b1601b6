#include "table/layout_reader.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/decimal.h"
#include "base/file_io.h"

namespace tovrand {

LayoutLineReader::LayoutLineReader(std::string_view text) : text_(text) {
  const size_t end_mark = text_.find('\x1A');
  if (end_mark != std::string_view::npos) text_ = text_.substr(0, end_mark);
}

bool LayoutLineReader::Next(std::string_view* line) {
  if (pushed_) {
    pushed_ = false;
    *line = pushed_line_;
    return true;
  }
  while (pos_ < text_.size()) {
    const size_t lf = text_.find('\n', pos_);
    const size_t end = lf == std::string_view::npos ? text_.size() : lf;
    std::string_view candidate = text_.substr(pos_, end - pos_);
    pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
    if (lf != std::string_view::npos && !candidate.empty() &&
        candidate.back() == '\r') {
      candidate.remove_suffix(1);
    }
    if (candidate.empty() || candidate[0] == ';' || candidate[0] == '-')
      continue;
    *line = candidate;
    return true;
  }
  return false;
}

void LayoutLineReader::PushBack(std::string_view line) {
  pushed_ = true;
  pushed_line_ = line;
}

namespace {

// Splits at commas, dropping empty fields, and hands out the first `count`
// fields at most.
size_t SplitFields(std::string_view line, std::string_view* fields,
                   size_t count) {
  size_t found = 0;
  size_t pos = 0;
  while (found < count && pos < line.size()) {
    const size_t comma = line.find(',', pos);
    const size_t end = comma == std::string_view::npos ? line.size() : comma;
    if (end > pos) fields[found++] = line.substr(pos, end - pos);
    pos = end + 1;
  }
  return found;
}

enum class ParseResult { kColumn, kIgnored, kFatal };

// Parses one column line: "Name",L or "Name",L,width.
ParseResult ParseColumnLine(std::string_view line, ColumnDef* column,
                            LayoutError* error) {
  std::string_view fields[3];
  const size_t count = SplitFields(line, fields, 3);
  if (count == 0) return ParseResult::kIgnored;
  const size_t open = fields[0].find('"');
  if (open == std::string_view::npos) return ParseResult::kIgnored;
  const size_t close = fields[0].find('"', open + 1);
  if (close == std::string_view::npos) return ParseResult::kIgnored;
  column->name = std::string(fields[0].substr(open + 1, close - open - 1));

  if (count < 2) {
    error->kind = LayoutError::Kind::kMissingType;
    error->column = column->name;
    return ParseResult::kFatal;
  }
  column->type = fields[1][0];
  switch (column->type) {
    case 'B':
    case 'P':
      column->width = 1;
      break;
    case 'W':
      column->width = 2;
      break;
    case 'I':
      column->width = 4;
      break;
    case 'H':
    case 'S':
      column->width = count > 2 ? ReadDecimal(fields[2]) : 0;
      break;
    default:
      error->kind = LayoutError::Kind::kUnknownType;
      error->type = column->type;
      return ParseResult::kFatal;
  }
  return ParseResult::kColumn;
}

// Reads the column lines of one recognised section into `table`, up to the
// next header line (pushed back for the caller) or the end of the file.
bool ReadColumns(LayoutLineReader* lines, RecordTable* table,
                 int32_t record_size, LayoutError* error) {
  std::vector<ColumnDef> columns;
  std::string_view line;
  while (lines->Next(&line)) {
    if (line[0] == '[') {
      lines->PushBack(line);
      break;
    }
    ColumnDef column;
    switch (ParseColumnLine(line, &column, error)) {
      case ParseResult::kColumn:
        columns.push_back(std::move(column));
        break;
      case ParseResult::kIgnored:
        break;
      case ParseResult::kFatal:
        return false;
    }
  }
  table->SetLayout(record_size, std::move(columns));
  return true;
}

// The sections the reader knows, with the tables they fill.
struct Section {
  std::string_view header;
  RecordTable* table;
  int32_t record_size;
};

std::vector<Section> SectionsOf(GameTables* tables) {
  return {
      {"[GETeams]", &tables->geteams, kGETeamsRecordSize},
      {"[AlsTeams]", &tables->alsteams, kAlsTeamsRecordSize},
      {"[BGroups]", &tables->bgroups, kBGroupsRecordSize},
      {"[FPools]", &tables->fpools, kFPoolsRecordSize},
  };
}

// Notepad's "UTF-8" puts this mark first; joined files may hold it anywhere.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The first misread header of each section that `tables` lacks, in the
// layout's text (its first mark already passed over).
MisreadHeaders FindMisreadHeaders(std::string_view text, GameTables* tables) {
  MisreadHeaders found;
  LayoutLineReader lines(text);
  std::string_view line;
  while (lines.Next(&line)) {
    std::string_view bare = line;
    while (bare.substr(0, kUtf8Mark.size()) == kUtf8Mark)
      bare.remove_prefix(kUtf8Mark.size());
    const bool marked = bare.size() != line.size();
    while (!bare.empty() && bare.back() == '\r') bare.remove_suffix(1);
    if (!marked && bare.size() == line.size()) continue;
    for (const Section& section : SectionsOf(tables)) {
      if (bare != section.header || section.table->recordSize() != 0 ||
          std::any_of(found.begin(), found.end(),
                      [&](const MisreadHeader& m) { return m.header == bare; }))
        continue;
      MisreadHeader misread;
      misread.kind = marked ? MisreadHeader::Kind::kByteOrderMark
                            : MisreadHeader::Kind::kCarriageReturns;
      misread.header = std::string(bare);
      misread.line =
          1 + static_cast<size_t>(std::count(text.data(), line.data(), '\n'));
      found.push_back(misread);
    }
  }
  return found;
}

}  // namespace

std::string NoSectionText(const std::string& file, std::string_view section,
                          const MisreadHeaders& misread) {
  const std::string header = "[" + std::string(section) + "]";
  std::string text = file + " has no " + header + " section";
  for (const MisreadHeader& m : misread) {
    if (m.header != header) continue;
    text += ": line " + std::to_string(m.line) + " holds " + header;
    if (m.kind == MisreadHeader::Kind::kByteOrderMark) {
      text += " after a byte-order mark, an invisible character; type that "
              "line again";
    } else {
      text += " and a stray carriage return; save the file with CR LF or LF "
              "line ends";
    }
    break;
  }
  return text;
}

std::string LayoutError::Text(const std::string& file) const {
  switch (kind) {
    case Kind::kUtf16:
      return file + " is saved as UTF-16: save it as ANSI or UTF-8";
    case Kind::kUtf32:
      return file + " is saved as UTF-32: save it as ANSI or UTF-8";
    case Kind::kMissingType:
      return "Missing col type for column \"" + column + "\"";
    case Kind::kUnknownType:
      return std::string("Unknown col type: ") + type;
    case Kind::kNone:
      break;
  }
  return "";
}

bool ReadLayouts(std::string_view text, GameTables* tables, LayoutError* error,
                 MisreadHeaders* misread) {
  // Notepad's "Unicode" writes UTF-16, whose mark is FF FE or FE FF; UTF-32's
  // mark begins as one of them.
  using namespace std::string_view_literals;
  if (text.substr(0, 4) == "\xFF\xFE\0\0"sv ||
      text.substr(0, 4) == "\0\0\xFE\xFF"sv) {
    error->kind = LayoutError::Kind::kUtf32;
    return false;
  }
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
    error->kind = LayoutError::Kind::kUtf16;
    return false;
  }
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark)
    text.remove_prefix(kUtf8Mark.size());
  const std::vector<Section> sections = SectionsOf(tables);
  LayoutLineReader lines(text);
  std::string_view line;
  while (lines.Next(&line)) {
    if (line[0] != '[') continue;  // outside a recognised section
    for (const Section& section : sections) {
      if (line == section.header &&
          !ReadColumns(&lines, section.table, section.record_size, error)) {
        return false;
      }
    }
  }
  if (misread != nullptr) *misread = FindMisreadHeaders(text, tables);
  return true;
}

bool ReadLayoutFile(const std::string& path, GameTables* tables,
                    ReadResult* result, LayoutError* error,
                    MisreadHeaders* misread, std::string* bytes) {
  ByteBuffer file;
  *result = ReadInputFile(path, &file);
  if (*result != ReadResult::kOk) return false;
  const std::string_view text(reinterpret_cast<const char*>(file.bytes.get()),
                              file.size);
  if (bytes != nullptr) bytes->assign(text);
  return ReadLayouts(text, tables, error, misread);
}

bool LoadLayouts(GameTables* tables, Messages* messages,
                 MisreadHeaders* misread, const std::string& path,
                 std::string* bytes) {
  ReadResult result = ReadResult::kOk;
  LayoutError error;
  if (ReadLayoutFile(path, tables, &result, &error, misread, bytes))
    return true;
  switch (result) {
    case ReadResult::kOk:
      messages->Line(error.Text("Tables.ini"));
      // tovrand has always printed an empty line after this one.
      if (error.kind == LayoutError::Kind::kUnknownType) messages->Line("");
      break;
    case ReadResult::kCannotOpen:
    case ReadResult::kReadError:
      messages->Line("Cannot open Tables.ini in current directory");
      break;
    case ReadResult::kChanged:
    case ReadResult::kTooLarge:
    case ReadResult::kNoMemory:
    case ReadResult::kNoMemoryToGrow:
      messages->Line(ReadFailureLine(result, "Tables.ini"));
      break;
  }
  return false;
}

}  // namespace tovrand
