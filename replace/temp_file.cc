#include "replace/temp_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "base/platform.h"
#include "replace/temp_file_platform.h"

namespace tovrand {

namespace {

// splitmix64's finaliser: spreads every input bit over the whole result.
uint64_t Mix(uint64_t x) {
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9u;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebu;
  return x ^ (x >> 31);
}

// Where `path`'s last separator is; Windows takes '/' as well as '\\'.
size_t LastSeparator(const std::string& path) {
  return path.find_last_of(kPathSeparator == '\\' ? "\\/" : "/");
}

bool IsLowercaseHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Whether `text` is one or more characters, each of which `is` accepts.
bool AllOf(const std::string& text, bool (*is)(char)) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is);
}

// Whether `middle`, what stands between "<target>." and ".tmp", is one that
// a run makes: 16 lowercase hex digits (NextTempName).
bool IsTempMiddle(const std::string& middle) {
  return middle.size() == 16 && AllOf(middle, IsLowercaseHexDigit);
}

void (*g_step_hook)(TempFileStep) = nullptr;
TempFileSeams g_seams;

}  // namespace

void SetTempFileStepHook(void (*hook)(TempFileStep)) { g_step_hook = hook; }

void SetTempFileSeams(const TempFileSeams& seams) { g_seams = seams; }

const TempFileSeams& Seams() { return g_seams; }

void AtStep(TempFileStep step) {
  if (g_step_hook != nullptr) g_step_hook(step);
}

std::string NextTempName(const std::string& target) {
  if (g_seams.next_name != nullptr) return g_seams.next_name(target);
  // The clock tells runs apart where process ids repeat (a container, a
  // fresh Wine server); the process id tells apart runs that start in the
  // same tick; the counter, names within one run. Where all three meet, the
  // exclusive create finds the name taken and the next one differs.
  static std::atomic<uint64_t> counter{0};
  static const char here = 0;
  const uint64_t now =
      g_seams.clock != nullptr
          ? g_seams.clock()
          : static_cast<uint64_t>(
                std::chrono::system_clock::now().time_since_epoch().count());
  uint64_t x = Mix(now);
  x = Mix(x ^ static_cast<uint64_t>(ProcessId()));
  x = Mix(x ^ reinterpret_cast<uintptr_t>(&here));
  x = Mix(x ^ counter.fetch_add(1));
  static const char kHex[] = "0123456789abcdef";
  std::string name = target + ".";
  for (int shift = 60; shift >= 0; shift -= 4) name += kHex[(x >> shift) & 15];
  return name + ".tmp";
}

bool IsTempNameOf(const std::string& name, const std::string& target_name) {
  const std::string suffix = ".tmp";
  const size_t prefix = target_name.size() + 1;
  if (name.size() <= prefix + suffix.size() ||
      name.compare(0, target_name.size(), target_name) != 0 ||
      name[target_name.size()] != '.' ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  return IsTempMiddle(
      name.substr(prefix, name.size() - prefix - suffix.size()));
}

std::string FolderOf(const std::string& path) {
  const size_t at = LastSeparator(path);
  if (at == std::string::npos) return ".";
  return path.substr(0, at == 0 ? 1 : at);  // a root folder keeps its separator
}

std::string NameOf(const std::string& path) {
  const size_t at = LastSeparator(path);
  return at == std::string::npos ? path : path.substr(at + 1);
}

void RemoveLeftovers(const std::string& target) {
  const size_t at = LastSeparator(target);
  // `target` up to and with its last separator, to put before a name.
  const std::string prefix =
      at == std::string::npos ? "" : target.substr(0, at + 1);
  const std::string name = NameOf(target);
  // Listed whole first: entries removed while a folder is read may make
  // the listing skip or repeat others.
  for (const std::string& entry : NamesIn(FolderOf(target))) {
    if (IsTempNameOf(entry, name)) RemoveIfUnheld(prefix + entry);
  }
}

}  // namespace tovrand
