#include "window/remembered.h"

#include <cctype>
#include <utility>

#include "base/file_io.h"
#include "base/platform.h"
#include "replace/replace.h"

namespace tovrand {

namespace {

constexpr char kFirstLine[] = "tovrand-window remembers";
constexpr char kLastLine[] = "end";
// A whole file is a few hundred bytes: a larger one is none of ours.
constexpr size_t kMaxFileSize = 65536;

struct Field {
  const char* name;
  std::string WindowValues::*value;
};
constexpr Field kValueFields[] = {
    {"side", &WindowValues::side},
    {"date 0 tanks", &WindowValues::tank_date0},
    {"date 0 infantry", &WindowValues::infantry_date0},
    {"other dates tanks", &WindowValues::tank_other},
    {"other dates infantry", &WindowValues::infantry_other},
};
constexpr char kFolderName[] = "folder";
constexpr int kFields = 6;  // the folder, then the values

bool HasNoLineEnd(const std::string& text) {
  return text.find_first_of("\r\n") == std::string::npos;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool IsSeparator(char c) { return c == '/' || c == kPathSeparator; }

// Where the last part of `path` (its file's name) begins.
size_t NameStart(const std::string& path) {
  size_t at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  return at;
}

}  // namespace

std::string RememberedText(const Remembered& remembered) {
  if (remembered.folder.empty() && !remembered.has_values) return "";
  std::string text = std::string(kFirstLine) + "\r\n";
  auto add = [&text](const char* name, const std::string& value) {
    if (!HasNoLineEnd(value)) return false;
    text.append(name).append("=").append(value).append("\r\n");
    return true;
  };
  if (!remembered.folder.empty() && !add(kFolderName, remembered.folder))
    return "";
  if (remembered.has_values) {
    for (const Field& field : kValueFields) {
      if (!add(field.name, remembered.values.*field.value)) return "";
    }
  }
  return text + kLastLine + "\r\n";
}

bool ReadRemembered(std::string_view text, Remembered* remembered) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find("\r\n");
    if (end == std::string_view::npos) return false;  // cut short
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 2);
  }
  if (lines.size() < 2 || lines.front() != kFirstLine ||
      lines.back() != kLastLine)
    return false;
  Remembered read;
  bool seen[kFields] = {};
  int values = 0;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view name = line.substr(0, equals);
    const std::string value(line.substr(equals + 1));
    int field = -1;
    if (name == kFolderName) field = 0;
    for (int k = 0; k < kFields - 1; ++k) {
      if (name == kValueFields[k].name) field = k + 1;
    }
    if (field < 0) continue;
    if (seen[field] || !HasNoLineEnd(value)) return false;
    seen[field] = true;
    if (field == 0) {
      if (value.empty()) return false;
      read.folder = value;
    } else {
      read.values.*kValueFields[field - 1].value = value;
      ++values;
    }
  }
  if (values != 0 && values != kFields - 1) return false;
  read.has_values = values != 0;
  if (read.folder.empty() && !read.has_values) return false;
  *remembered = std::move(read);
  return true;
}

std::string RememberedPath(const std::string& app_data) {
  if (app_data.empty()) return "";
  return InFolder(InFolder(app_data, "tovrand"), "tovrand-window.txt");
}

bool LoadRemembered(const std::string& path, Remembered* remembered) {
  ByteBuffer bytes;
  if (path.empty() || ReadWholeFile(path, kMaxFileSize, &bytes) != ReadResult::kOk)
    return false;
  return ReadRemembered(
      std::string_view(reinterpret_cast<const char*>(bytes.bytes.get()),
                       bytes.size),
      remembered);
}

bool SaveRemembered(const std::string& path, const Remembered& remembered) {
  const std::string text = RememberedText(remembered);
  if (path.empty() || text.empty()) return false;
  const std::string folder = FolderOfFile(path);
  if (KindOf(folder) != PathKind::kFolder && !MakeFolder(folder)) return false;
  return WriteFileAtomically(
      path, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::string FolderOfFile(const std::string& path) {
  const size_t slash = NameStart(path);
  if (slash == 0) return ".";
  std::string folder = path.substr(0, slash - 1);
  if (folder.empty() || folder.back() == ':') folder = path.substr(0, slash);
  return folder;
}

Dropped DroppedFolder(const std::string& path) {
  Dropped dropped;
  if (KindOf(path) != PathKind::kFile) {
    dropped.folder = path;
    return dropped;
  }
  const std::string_view name = std::string_view(path).substr(NameStart(path));
  bool ours = false;
  for (const char* file : {"Tables.ini", "FPools.txt", "AlsTeams.txt", "GETeams.txt"})
    ours = ours || SameLetters(name, file);
  if (!ours) {
    dropped.problem = "Not a data folder, nor Tables.ini, FPools.txt, "
                      "AlsTeams.txt or GETeams.txt: " + path;
    return dropped;
  }
  dropped.folder = FolderOfFile(path);
  return dropped;
}

WindowStart StartWindow(int argc, const char* const* argv,
                        const Remembered& remembered,
                        const std::string& program_folder,
                        const std::string& current_folder) {
  WindowStart start;
  const bool values_given = argc == 6;
  start.values = StartValues(argc == 2 ? 1 : argc, argv, &start.said);
  if (!values_given && remembered.has_values) start.values = remembered.values;
  if (argc == 2) {
    Dropped dropped = DroppedFolder(argv[1]);
    if (dropped.problem.empty()) {
      start.folder = std::move(dropped.folder);
      return start;
    }
    start.said.push_back(std::move(dropped.problem));
  }
  const std::string found = StartFolder(program_folder, current_folder);
  if (values_given && IsRegularFile(InFolder(found, "Tables.ini"))) {
    start.folder = found;
    return start;
  }
  if (!remembered.folder.empty()) {
    if (KindOf(remembered.folder) == PathKind::kFolder) {
      start.folder = remembered.folder;
      return start;
    }
    start.said.push_back("The data folder last used is gone: " +
                         remembered.folder);
  }
  start.folder = found;
  return start;
}

}  // namespace tovrand
