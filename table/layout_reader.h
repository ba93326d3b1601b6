#ifndef TOVRAND_TABLE_LAYOUT_READER_H_
#define TOVRAND_TABLE_LAYOUT_READER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "base/messages.h"
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

// Fills the four tables' layouts from the text of a layout file: each
// recognised section ("[FPools]", "[BGroups]", "[AlsTeams]", "[GETeams]",
// matched exactly) sets its table's record size and columns. Sections with
// other headers, and lines before the first header, are skipped. Returns
// false after raising a fatal stop: a column line whose type letter is not
// one of B P W I H S ("Unknown col type: x" and an empty line), or one that
// has no type at all. Prints nothing.
[[nodiscard]] bool ReadLayouts(std::string_view text, RecordTable* bgroups,
                               RecordTable* fpools, RecordTable* geteams,
                               RecordTable* alsteams, FatalStop* fatal);

// Reads Tables.ini in the current directory and fills the layouts as
// ReadLayouts does. When the file cannot be read it prints "Cannot open
// Tables.ini in current directory" and returns false; on a fatal stop it
// returns false and prints nothing, leaving the message to the caller.
[[nodiscard]] bool LoadLayouts(RecordTable* bgroups, RecordTable* fpools,
                               RecordTable* geteams, RecordTable* alsteams,
                               Messages* messages, FatalStop* fatal);

}  // namespace tovrand

#endif  // TOVRAND_TABLE_LAYOUT_READER_H_
