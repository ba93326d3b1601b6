#ifndef TOVRAND_TABLE_LAYOUT_READER_H_
#define TOVRAND_TABLE_LAYOUT_READER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "base/messages.h"
#include "table/game_tables.h"
#include "table/record_table.h"

namespace tovrand {

// Hands out the lines of Tables.ini that matter, one at a time, with room to
// push one back. A line ends at LF; the LF and a CR directly before it are
// dropped, a CR elsewhere stays. A byte 0x1A ends the file, and a last line
// without LF still counts. Empty lines and lines that begin with ';' or '-'
// are comments and are never handed out. Lines may be of any length.
class LayoutLineReader {
 public:
  explicit LayoutLineReader(std::string_view text);

  // The next line that is not a comment; false at the end of the file.
  [[nodiscard]] bool Next(std::string_view* line);
  // Makes `line` the next one Next hands out. One line at a time.
  void PushBack(std::string_view line);

 private:
  std::string_view text_;
  size_t pos_ = 0;
  bool pushed_ = false;
  std::string_view pushed_line_;
};

// The record sizes of the four tables, fixed by the game.
constexpr int32_t kFPoolsRecordSize = 424;
constexpr int32_t kBGroupsRecordSize = 168;
constexpr int32_t kAlsTeamsRecordSize = 260;
constexpr int32_t kGETeamsRecordSize = 260;

// Why a layout file's text cannot be used.
struct LayoutError {
  enum class Kind {
    kNone,
    kMissingType,  // a column line with a name and no type
    kUnknownType,  // a column line whose type letter is not B P W I H S
    kUtf16,        // the text is UTF-16 (it starts with FF FE or FE FF)
    kUtf32,        // the text is UTF-32 (FF FE 00 00 or 00 00 FE FF)
  };
  Kind kind = Kind::kNone;
  std::string column;  // kMissingType: the column's name
  char type = 0;       // kUnknownType: the letter as written

  // "Missing col type for column \"<column>\"", "Unknown col type: <type>"
  // or, for kUtf16 and kUtf32, "<file> is saved as UTF-16: save it as ANSI
  // or UTF-8" (UTF-32).
  std::string Text(const std::string& file) const;
};

// A line that would have been the header of a section but for what stands
// around it: a byte-order mark before it (two files joined, each saved with
// one), or carriage returns left at its end (CR CR LF line ends, from a file
// converted twice). Its section is not read, as the format says; this only
// tells why.
struct MisreadHeader {
  enum class Kind { kByteOrderMark, kCarriageReturns };
  Kind kind = Kind::kByteOrderMark;
  std::string header;  // the header it would have been: "[FPools]"
  size_t line = 0;     // its line in the file, from 1
};
using MisreadHeaders = std::vector<MisreadHeader>;

// The line for a section that the layout file `file` lacks: "<file> has no
// [<section>] section", followed, when a header of that section was
// misread, by where and why, and what to do.
std::string NoSectionText(const std::string& file, std::string_view section,
                          const MisreadHeaders& misread);

// Fills the layouts of `tables` from the text of a layout file, after the
// UTF-8 byte-order mark an editor may put at its start: each
// recognised section ("[FPools]", "[BGroups]", "[AlsTeams]", "[GETeams]",
// matched exactly) sets its table's record size and columns. Sections with
// other headers, and lines before the first header, are skipped. Returns
// false, with `*error` set, for a text in UTF-16 or UTF-32 (by its
// byte-order mark), and at the first column line that has no type or an
// unknown one. With `misread`, also sets it to the first misread header of
// each section that the text then lacks. Prints nothing.
[[nodiscard]] bool ReadLayouts(std::string_view text, GameTables* tables,
                               LayoutError* error,
                               MisreadHeaders* misread = nullptr);

// Reads the layout file at `path` whole (ReadInputFile) and fills the
// layouts as ReadLayouts does. Returns false when the file cannot be read
// (`*result` says why) or its text cannot be used (`*error` says why; then
// `*result` is kOk). With `bytes`, sets it to the file's bytes once read.
// Prints nothing.
[[nodiscard]] bool ReadLayoutFile(const std::string& path, GameTables* tables,
                                  ReadResult* result, LayoutError* error,
                                  MisreadHeaders* misread = nullptr,
                                  std::string* bytes = nullptr);

// tovrand's loading of Tables.ini in the current directory (or at `path`),
// as ReadLayoutFile. On failure it prints why and returns false: "Cannot
// open Tables.ini in current directory" when the file cannot be opened or
// read, ReadFailureLine's line when it is too large, changed while it was
// read or memory runs out, or the layout error's text (an unknown type's
// followed by an empty line). The lines name the file Tables.ini wherever
// it is. `bytes` as ReadLayoutFile's.
[[nodiscard]] bool LoadLayouts(GameTables* tables, Messages* messages,
                               MisreadHeaders* misread = nullptr,
                               const std::string& path = "Tables.ini",
                               std::string* bytes = nullptr);

}  // namespace tovrand

#endif  // TOVRAND_TABLE_LAYOUT_READER_H_
