#include "report/script_folder.h"

#include <cctype>

#include "base/file_io.h"
#include "base/platform.h"
#include "report/text.h"

namespace tovrand {

namespace {

// Whether `line` begins with `word`, in any case of its letters.
bool StartsWithWord(std::string_view line, std::string_view word) {
  if (line.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(line[i])) != word[i])
      return false;
  }
  return true;
}

// The value of `line` when it is a `set "DATA=VALUE"` line.
std::optional<std::string_view> DataValue(std::string_view line) {
  while (!line.empty() && (line[0] == ' ' || line[0] == '\t' || line[0] == '@'))
    line.remove_prefix(1);
  constexpr std::string_view kSet = "set \"data=";
  const size_t close = line.rfind('"');
  if (!StartsWithWord(line, kSet) || close < kSet.size()) return std::nullopt;
  return line.substr(kSet.size(), close - kSet.size());
}

std::string FromAnsi(std::string_view bytes) {
#ifdef _WIN32
  return Utf8FromAnsi(bytes);
#else
  return OnOneLine(bytes);
#endif
}

}  // namespace

std::optional<std::string> DataFolderOfScript(std::string_view script) {
  std::optional<std::string_view> value;
  while (!script.empty()) {
    const size_t lf = script.find('\n');
    std::string_view line = script.substr(0, lf);
    script.remove_prefix(lf == std::string_view::npos ? script.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const auto found = DataValue(line)) value = found;
  }
  if (!value) return std::nullopt;
  return IsUtf8(*value) ? std::string(*value) : FromAnsi(*value);
}

int PrintDataFolder(const std::string& script, Messages* out) {
  ByteBuffer bytes;
  const ReadResult result = ReadInputFile(script, &bytes);
  if (result != ReadResult::kOk) {
    out->Line(ReadFailureLine(result, ShownPath(script)));
    return 1;
  }
  const std::optional<std::string> folder = DataFolderOfScript(std::string_view(
      reinterpret_cast<const char*>(bytes.bytes.get()), bytes.size));
  if (!folder) {
    out->Line(ShownPath(script) + " has no line set \"DATA=...\"");
    return 1;
  }
  std::string for_cmd;
  if (!FolderForCommandPrompt(*folder, &for_cmd)) {
    out->Line("Cannot open the data folder \"" +
              (folder->empty() ? "" : ShownPath(*folder)) + "\"");
    return 1;
  }
  out->Line(for_cmd);
  return 0;
}

}  // namespace tovrand
