#ifndef TOVRAND_WINDOW_REMEMBERED_H_
#define TOVRAND_WINDOW_REMEMBERED_H_

// What the window remembers from one start to the next, per Windows user,
// in a small text file of its own (RememberedPath): the last data folder
// that loaded, and the side and four values last written. Where it starts,
// and with what (StartWindow).
//
// The file is the window's alone, and only a convenience: one that cannot
// be read, or is damaged or cut short, is taken as none; one that cannot
// be written is not; neither ever stops a start or a write. It is replaced
// as Output\FPools.txt is, never half written.

#include <string>
#include <string_view>
#include <vector>

#include "window/model.h"

namespace tovrand {

struct Remembered {
  std::string folder;       // empty: no folder has loaded yet
  bool has_values = false;  // values: nothing written yet
  WindowValues values;
};

// The file's text: a first line that names it, a line "name=value" for
// the folder (when there is one) and for each value (when there are
// values), and a last line "end", each ended by CR LF. Empty when a value
// could not be read back as it is (a line end in it), or there is nothing
// to remember.
std::string RememberedText(const Remembered& remembered);

// Reads what RememberedText wrote. False, leaving `remembered` as it was,
// unless `text` is such a text whole: its first and last lines, the
// folder or all five values or both, no name twice. Names it does not know
// are passed over (a later window's).
bool ReadRemembered(std::string_view text, Remembered* remembered);

// Where the file is: tovrand\tovrand-window.txt in `app_data` (on Windows,
// the user's %APPDATA%). Empty when `app_data` is.
std::string RememberedPath(const std::string& app_data);

// Reads the file at `path`. False, leaving `remembered` as it was, when it
// is not there or not a whole one.
bool LoadRemembered(const std::string& path, Remembered* remembered);

// Writes the file at `path`, making its folder when it has none. False
// when it could not be written; what it held is then as it was.
bool SaveRemembered(const std::string& path, const Remembered& remembered);

// Where a folder, or a file, dropped on the window or on its program (or
// typed) leads: a folder to itself, one of a data folder's four files
// (Tables.ini, FPools.txt, AlsTeams.txt, GETeams.txt, in any case) to its
// folder, and a path that is nothing to itself, for the window to read
// and say in tovrand's words what it cannot open. Another file gives no
// folder, and the line that says so.
struct Dropped {
  std::string folder;
  std::string problem;
};
Dropped DroppedFolder(const std::string& path);

// The folder of the file `path` names: the path up to its last separator,
// which a root folder keeps ("/", "C:\"); "." for a name alone.
std::string FolderOfFile(const std::string& path);

// Where the window starts, and with what, for the program's arguments
// (`argc` and `argv`, as StartValues takes them) and what it remembers:
//  - one argument, a folder or one of its four files (DroppedFolder):
//    that folder, with the remembered values;
//  - tovrand's five values (a shortcut's): those values, in the data folder
//    the shortcut starts in (StartFolder's, when it holds Tables.ini), else
//    in the remembered folder;
//  - nothing: the remembered folder and values;
// and where nothing is given or remembered, StartFolder's folder and the
// defaults. A remembered folder that is gone (no folder there now) is
// passed over, and `said` says so; a wrong number of arguments says
// tovrand's usage line (StartValues).
struct WindowStart {
  std::string folder;
  WindowValues values;
  std::vector<std::string> said;
};
WindowStart StartWindow(int argc, const char* const* argv,
                        const Remembered& remembered,
                        const std::string& program_folder,
                        const std::string& current_folder);

}  // namespace tovrand

#endif  // TOVRAND_WINDOW_REMEMBERED_H_
