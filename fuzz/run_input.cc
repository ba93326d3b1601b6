#include "fuzz/run_input.h"

#include <cstddef>

namespace {

constexpr unsigned char kPreviousOutput = 1;
constexpr unsigned char kNoOutput = 2;
constexpr unsigned char kFirstAbsentFile = 4;  // then 8, 16, 32
constexpr char kEscape = '\\';
constexpr char kPartEnd[] = {kEscape, '|'};

// Reads one part from `pos` on, leaving `pos` after its end.
std::string NextPart(std::string_view bytes, size_t* pos) {
  std::string part;
  while (*pos < bytes.size()) {
    const char c = bytes[(*pos)++];
    if (c != kEscape) {
      part += c;
      continue;
    }
    if (*pos == bytes.size()) break;  // a backslash at the very end
    if (bytes[(*pos)++] != kEscape) break;
    part += kEscape;
  }
  return part;
}

void AppendPart(std::string_view part, std::string* out) {
  for (char c : part) {
    if (c == kEscape) *out += kEscape;
    *out += c;
  }
  out->append(kPartEnd, sizeof kPartEnd);
}

}  // namespace

bool RunInput::operator==(const RunInput& other) const {
  for (int i = 0; i < kRunFileCount; ++i) {
    if (files[i] != other.files[i]) return false;
  }
  return previous_output == other.previous_output &&
         no_output == other.no_output && args == other.args;
}

RunInput DecodeRunInput(std::string_view bytes) {
  RunInput input;
  const unsigned char flags =
      bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
  size_t pos = bytes.empty() ? 0 : 1;
  input.previous_output = (flags & kPreviousOutput) != 0;
  input.no_output = (flags & kNoOutput) != 0;

  const std::string args = NextPart(bytes, &pos);
  for (size_t start = 0; start < args.size();) {
    size_t end = args.find('\0', start);
    if (end == std::string::npos) end = args.size();
    input.args.push_back(args.substr(start, end - start));
    start = end + 1;
  }
  for (int i = 0; i < kRunFileCount; ++i) {
    std::string file = NextPart(bytes, &pos);
    if ((flags & (kFirstAbsentFile << i)) == 0) input.files[i] = std::move(file);
  }
  return input;
}

std::string EncodeRunInput(const RunInput& input) {
  unsigned char flags = 0;
  if (input.previous_output) flags |= kPreviousOutput;
  if (input.no_output) flags |= kNoOutput;
  for (int i = 0; i < kRunFileCount; ++i) {
    if (!input.files[i]) flags |= kFirstAbsentFile << i;
  }
  std::string out(1, static_cast<char>(flags));
  std::string args;
  for (const std::string& arg : input.args) args += arg + '\0';
  AppendPart(args, &out);
  for (const auto& file : input.files) AppendPart(file ? *file : "", &out);
  return out;
}
