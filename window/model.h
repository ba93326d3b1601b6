#ifndef TOVRAND_WINDOW_MODEL_H_
#define TOVRAND_WINDOW_MODEL_H_

// The window's model: the data folder, the values and their checks, the
// preview of a run and the run itself, with no window in it. The view
// (window/view_win32.cc) shows what these give and calls them off its own
// thread; each function here works on what it is given alone, so that
// calls on different threads share nothing but the read-only folder.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pool/pool_columns.h"
#include "pool/team_index.h"
#include "report/changes.h"
#include "report/diff.h"
#include "table/game_tables.h"
#include "table/record_table.h"

namespace tovrand {

// The values as the modder set them: tovrand's five arguments, as text.
struct WindowValues {
  std::string side = "g";
  std::string tank_date0 = "100";
  std::string infantry_date0 = "100";
  std::string tank_other = "100";
  std::string infantry_other = "100";
};

// The values a window starts with: tovrand's five arguments after the
// program's name, when `argc` is 6 (a shortcut can carry them), else the
// defaults. Any other number of values than none or five sets `said` to
// tovrand's usage line, which the window shows.
WindowValues StartValues(int argc, const char* const* argv,
                         std::vector<std::string>* said = nullptr);

// The lines that say which of the four percentages is no number: empty, or
// with no digit after leading blanks and a sign, where tovrand would read 0
// ("Date 0 tanks: type a whole number of percent, such as 80"). Empty when
// each has its digits. (What tovrand refuses of a number, it says itself.)
std::vector<std::string> FieldProblems(const WindowValues& values);

// The data folder a window starts in: `program_folder` when it holds
// Tables.ini, else `current_folder`.
std::string StartFolder(const std::string& program_folder,
                        const std::string& current_folder);

// A data folder, read as tovrand reads it. Never changed once read, so that
// previews on any thread can share it.
struct LoadedFolder {
  std::string folder;
  GameTables tables;
  std::string layout;  // Tables.ini's bytes
  // tovrand's lines when the folder could not be read; empty when it was.
  std::vector<std::string> failure;
  // The sums of FPools.txt, the same for every preview.
  Totals totals;
};
std::shared_ptr<const LoadedFolder> LoadFolder(const std::string& folder);

// What a run with the values would change, made with nothing written: the
// pass on a copy of FPools.txt in memory, compared with the file as tovdiff
// compares Output/FPools.txt after that run.
struct Preview {
  explicit Preview(std::shared_ptr<const LoadedFolder> loaded);

  // What stops a run, in tovrand's lines and order: a field that holds no
  // number (FieldProblems), a refused value, the folder's failure, or the
  // pass's. Empty when a run would succeed.
  std::vector<std::string> failure;
  std::vector<ChangeRow> rows;         // every changed quantity, in order
  std::vector<std::string> totals;     // the side's four lines of totals
  // tovdiff's warnings after the run, in its order and words, the
  // output named as the window names it (ShownOutput).
  std::vector<std::string> warnings;

  // What the rows' texts are read from: the file before the pass. (The
  // scaled copy is let go once compared: a preview holds no more than
  // its rows.)
  std::shared_ptr<const LoadedFolder> folder;
  PoolColumns pool;
  SideTeams teams;
};
std::unique_ptr<Preview> MakePreview(std::shared_ptr<const LoadedFolder> loaded,
                                     const WindowValues& values);

// The columns of the list: pool, side, date, slot, team, type, old, new,
// as tovdiff's line of the change has them.
constexpr int kRowColumns = 8;
std::array<std::string, kRowColumns> RowColumns(const Preview& preview,
                                                const ChangeRow& row);

// The line under the list: how many quantities will change.
std::string ChangesLine(const Preview& preview);

// The output as the window names it: Output\FPools.txt on Windows.
std::string ShownOutput();

// tovrand run in the folder `shown` was read from, with the values, once
// what it reads is the very bytes of `shown`: Tables.ini, FPools.txt,
// AlsTeams.txt and GETeams.txt, compared as it reads them, so that it
// writes what the window showed or nothing. What it prints, and its status.
struct WriteResult {
  int status = 1;
  std::vector<std::string> lines;
  // The folder is not as shown any more: it is to be read anew.
  bool reload = false;
  // The write failed for want of an Output folder, which the window may
  // offer to make.
  bool no_output = false;
  // How long the whole write took, and the comparison with the bytes
  // shown within it, in microseconds: for the benchmark.
  int64_t took_us = 0;
  int64_t check_us = 0;
};
WriteResult WriteShown(const LoadedFolder& shown, const WindowValues& values);

// After tovrand's "Failed to write FPools.txt to Output folder", the
// window's line of why, found on `folder` as it now is: no Output folder,
// Output a file, Output leading back to the data folder, the output a
// folder, held open by another program, read-only, or else what is left.
std::string WriteFailureCause(const std::string& folder);

// Makes the Output folder of `folder`. False when it could not be made.
bool MakeOutputFolder(const std::string& folder);

}  // namespace tovrand

#endif  // TOVRAND_WINDOW_MODEL_H_
