#ifndef TOVRAND_REPORT_SCRIPT_FOLDER_H_
#define TOVRAND_REPORT_SCRIPT_FOLDER_H_

#include <optional>
#include <string>
#include <string_view>

#include "base/messages.h"

namespace tovrand {

// run-example.bat names the data folder in a line
//   set "DATA=D:\Spiele\Schlacht um Köln\Daten"
// and cmd reads a batch file in the console's code page, whatever code page
// Notepad saved it in, so that a name outside ASCII reaches cmd as other
// letters. These read the line as the bytes it is.

// The value of the last `set "DATA=..."` line of a batch file's bytes
// (rem lines are passed over; `set` in any case), in UTF-8: its bytes read
// as UTF-8 where they are UTF-8 (Notepad's default), and otherwise in the
// ANSI code page (on other systems than Windows, Windows-1252). Nothing
// when the file has no such line.
std::optional<std::string> DataFolderOfScript(std::string_view script);

// tovdiff --data-folder SCRIPT: writes the folder that SCRIPT's DATA line
// names as the one line cmd can read back (base/platform.h,
// FolderForCommandPrompt) and returns 0. Otherwise writes why and returns
// 1: the script's read failure ("Cannot open SCRIPT"), "SCRIPT has no line
// set \"DATA=...\"", or "Cannot open the data folder \"FOLDER\"", as
// run-example.bat says it.
int PrintDataFolder(const std::string& script, Messages* out);

}  // namespace tovrand

#endif  // TOVRAND_REPORT_SCRIPT_FOLDER_H_
